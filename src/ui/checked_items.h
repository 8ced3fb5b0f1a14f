#pragma once

#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>
#include <vector>

namespace ecuprobe::ui {

// A list of checkable rows, each keyed by a whole number in Qt::UserRole: the
// charts' choice of what to draw.

// The keys of the checked rows, top to bottom.
template <typename Key>
std::vector<Key> checkedKeys(const QListWidget& list) {
    std::vector<Key> keys;
    for (int row = 0; row < list.count(); ++row) {
        if (list.item(row)->checkState() == Qt::Checked) {
            keys.push_back(static_cast<Key>(list.item(row)->data(Qt::UserRole).toLongLong()));
        }
    }
    return keys;
}

// Checks the rows of those keys and clears the others without telling itemChanged;
// a disabled row (nothing to draw) stays clear.
template <typename Key>
void checkKeys(QListWidget& list, const std::vector<Key>& keys) {
    const QSignalBlocker blocker(&list);
    for (int row = 0; row < list.count(); ++row) {
        QListWidgetItem* item = list.item(row);
        const auto key = static_cast<Key>(item->data(Qt::UserRole).toLongLong());
        const bool wanted = std::find(keys.begin(), keys.end(), key) != keys.end();
        item->setCheckState(wanted && item->flags().testFlag(Qt::ItemIsEnabled) ? Qt::Checked
                                                                                : Qt::Unchecked);
    }
}

}  // namespace ecuprobe::ui
