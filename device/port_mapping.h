#pragma once

#include <QString>
#include <QStringList>

// Port numbers as users know them ("COM3") and the device each one opens.
// Windows: port n is COMn. Elsewhere: the device named by the environment variable
// KESTRUN_COM<n> when it is set (the logger simulator prints such a line), otherwise the n-th
// serial device (1-based) of the system's list sorted by location. A number that maps to
// nothing gives an empty text.
namespace portmap {

QString deviceFor(int portNumber);
// The system's serial devices in the order used for numbering.
QStringList systemDevices();
// Every number that currently maps to a device, with its device (for menus and the CLI).
QList<QPair<int, QString>> mappedPorts(int upTo = 32);
// The group whose members may open `device`: the device file's own group, or "dialout" (the
// serial ports' group on Debian) where that cannot be told.
QString accessGroup(const QString &device);

} // namespace portmap
