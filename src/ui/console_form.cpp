#include "ui/console_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

#include "console/live_fields.h"
#include "ui/up_down_control.h"

namespace ecuprobe::ui {

namespace {

using console::ControlId;
namespace control = console::control;

// The controls whose enabled state the panel keeps; the rest stay as built:
// the edit boxes read-only but enabled, the state flags and "Команда" disabled.
bool followsPanel(ControlId id) {
    const auto commands = console::commandControls();
    if (std::find(commands.begin(), commands.end(), id) != commands.end()) {
        return true;
    }
    switch (id) {
        case control::start:
        case control::comPort:
        case control::period:
        case control::periodUpDown:
        case control::lambdaProbe:
        case control::releaseControls:
            return true;
        default:
            return false;
    }
}

bool alwaysDisabled(ControlId id) {
    const auto flags = console::stateFlagControls();
    return id == control::command || std::find(flags.begin(), flags.end(), id) != flags.end();
}

}  // namespace

QWidget* ConsoleForm::control(ControlId id) const {
    const auto found = byId.find(id);
    return found == byId.end() ? nullptr : found->second;
}

void ConsoleForm::show(const console::PanelSnapshot& snapshot) {
    for (const auto& [id, text] : snapshot.texts) {
        showText(id, text);
    }
    for (const auto& [id, widget] : byId) {
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            box->setChecked(snapshot.isChecked(id));
        }
    }
    showEnabled(snapshot);
    showHeld(snapshot);
    comBox->setCurrentIndex(snapshot.comSelection);
    upDown->setPosition(snapshot.periodUpDown);
}

void ConsoleForm::showText(ControlId id, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    if (auto* line = qobject_cast<QLineEdit*>(control(id))) {
        if (line->text() != shown) {
            line->setText(shown);
            line->setCursorPosition(0);
        }
    } else if (auto* block = qobject_cast<QPlainTextEdit*>(control(id))) {
        if (block->toPlainText() != shown) {
            block->setPlainText(shown);
        }
    }
}

void ConsoleForm::showEnabled(const console::PanelSnapshot& snapshot) {
    for (const auto& [id, widget] : byId) {
        if (alwaysDisabled(id)) {
            widget->setEnabled(false);
        } else if (followsPanel(id)) {
            widget->setEnabled(snapshot.isEnabled(id));
        }
    }
}

void ConsoleForm::showHeld(const console::PanelSnapshot& snapshot) {
    const QString note = QString::fromStdString(snapshot.heldNote);
    if (heldNote->text() != note) {
        heldNote->setText(note);
        heldNote->setVisible(!note.isEmpty());
    }
    for (const ControlId id : console::switchControls()) {
        QWidget* box = control(id);
        const bool held = snapshot.held.contains(id);
        if (box != nullptr && box->property("held").toBool() != held) {
            box->setProperty("held", held);
            box->setStyleSheet(held ? heldStyle() : QString());
        }
    }
}

void ConsoleForm::showStale(bool stale, const QString& note) {
    if (staleNote->text() != note) {
        staleNote->setText(note);
        staleNote->setVisible(!note.isEmpty());
    }
    for (const auto& [id, widget] : byId) {
        const bool showsValue =
            console::liveFieldFor(id) != nullptr && qobject_cast<QLineEdit*>(widget) != nullptr;
        if ((showsValue || id == control::faultText) &&
            widget->property("stale").toBool() != stale) {
            widget->setProperty("stale", stale);
            QPalette greyed;
            if (stale) {
                greyed = widget->palette();
                greyed.setColor(QPalette::Text, greyed.color(QPalette::Disabled, QPalette::Text));
            }
            widget->setPalette(greyed);
        }
    }
}

bool ConsoleForm::showLink(const console::LinkIndicator& link) {
    const QString line = QString::fromStdString(link.line());
    if (linkState->text() == line) {
        return false;
    }
    linkState->setText(line);
    linkState->setStyleSheet(linkStyle(link.state));
    return true;
}

QString linkStyle(console::LinkState state) {
    const char* colours = "background: #f8d7da; color: #8b0000;";
    if (state == console::LinkState::connected) {
        colours = "background: #d9f2d9; color: #1e5a1e;";
    } else if (state == console::LinkState::idle) {
        colours = "background: #ececec; color: #303030;";
    }
    return QString::fromLatin1(colours) +
           QStringLiteral(" font-weight: bold; padding: 3px 6px; border-radius: 3px;");
}

QString heldStyle() {
    return QStringLiteral("color: #b00000; font-weight: bold;");
}

void ConsoleForm::disableInput() {
    for (const auto& [id, widget] : byId) {
        if (followsPanel(id)) {
            widget->setEnabled(false);
        }
    }
    chartButton->setEnabled(false);
    driveLogButton->setEnabled(false);
    comMapButton->setEnabled(false);
}

}  // namespace ecuprobe::ui
