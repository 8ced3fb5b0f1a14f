#include "ui/com_port_devices.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>

namespace ecuprobe::ui {

namespace {

const char* const comSlotKey = "console/comSlot";

QString settingsKey(int slot) {
    return QStringLiteral("ports/com%1").arg(slot + 1);
}

}  // namespace

QString deviceTitle(const platform::SerialDeviceInfo& device) {
    QStringList parts;
    const QString product = QString::fromStdString(
        device.maker.empty() ? device.product : device.maker + " " + device.product);
    if (!product.trimmed().isEmpty()) {
        parts.append(product.trimmed());
    }
    if (device.onUsb()) {
        parts.append(QString::fromStdString(device.vendorId + ":" + device.productId));
    }
    if (!device.driver.empty()) {
        parts.append(QString::fromStdString(device.driver));
    }
    const QString path = QString::fromStdString(device.path);
    return parts.isEmpty() ? path : path + QStringLiteral(" — ") + parts.join(QStringLiteral(", "));
}

const platform::SerialDeviceInfo* slotDevice(int slot, const platform::PortMap& ports,
                                             const std::vector<platform::SerialDeviceInfo>& devices) {
    const auto found = std::find_if(devices.begin(), devices.end(), [&](const auto& device) {
        const std::vector<int> mapped = platform::comSlotsOf(device, ports);
        return std::find(mapped.begin(), mapped.end(), slot) != mapped.end();
    });
    return found == devices.end() ? nullptr : &*found;
}

QString comSlotTip(int slot, const platform::PortMap& ports,
                   const std::vector<platform::SerialDeviceInfo>& devices) {
    const QString head =
        QStringLiteral("COM%1: %2").arg(slot + 1).arg(QString::fromStdString(ports.path(slot)));
    const platform::SerialDeviceInfo* device = slotDevice(slot, ports, devices);
    if (device == nullptr) {
        return head + QStringLiteral("\nустройство не найдено");
    }
    return head + u'\n' + deviceTitle(*device);
}

QString comSlotEntry(int slot, const platform::PortMap& ports,
                     const std::vector<platform::SerialDeviceInfo>& devices) {
    const QString name = QStringLiteral("COM%1").arg(slot + 1);
    const platform::SerialDeviceInfo* device = slotDevice(slot, ports, devices);
    if (device == nullptr) {
        return name;
    }
    const QString product =
        QString::fromStdString(device->maker.empty() ? device->product
                                                     : device->maker + " " + device->product)
            .trimmed();
    const QString path = QString::fromStdString(device->path);
    return name + QStringLiteral(" — ") +
           (product.isEmpty() ? path : product + QStringLiteral(" (") + path + u')');
}

std::string mappedPath(const platform::SerialDeviceInfo& device) {
    return device.byIdPaths.empty() ? device.path : device.byIdPaths.front();
}

std::array<std::string, platform::PortMap::portCount> keptComPaths() {
    const QSettings settings;
    std::array<std::string, platform::PortMap::portCount> paths;
    for (int slot = 0; slot < platform::PortMap::portCount; ++slot) {
        paths[static_cast<std::size_t>(slot)] =
            settings.value(settingsKey(slot)).toString().toStdString();
    }
    return paths;
}

void keepComPath(int slot, const std::string& path) {
    QSettings().setValue(settingsKey(slot), QString::fromStdString(path));
}

void forgetComPath(int slot) {
    QSettings().remove(settingsKey(slot));
}

std::optional<int> keptComSlot() {
    const QVariant kept = QSettings().value(comSlotKey);
    bool valid = false;
    const int slot = kept.toInt(&valid);
    if (!valid || slot < 0 || slot >= platform::PortMap::portCount) {
        return std::nullopt;
    }
    return slot;
}

void keepComSlot(int slot) {
    QSettings().setValue(comSlotKey, slot);
}

}  // namespace ecuprobe::ui
