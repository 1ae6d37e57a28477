#include "device/port_mapping.h"

#include "device/device_texts.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace portmap {

QStringList systemDevices()
{
    QStringList out;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &p : ports)
        out << p.systemLocation();
    std::sort(out.begin(), out.end());
    return out;
}

QString deviceFor(int n)
{
    if (n < 1)
        return QString();
#ifdef Q_OS_WIN
    return devicetext::kPortName.arg(n);
#else
    const QByteArray env = qgetenv(QStringLiteral("KESTRUN_COM%1").arg(n).toLatin1().constData());
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    const QStringList devs = systemDevices();
    return n <= devs.size() ? devs.at(n - 1) : QString();
#endif
}

QList<QPair<int, QString>> mappedPorts(int upTo)
{
    QList<QPair<int, QString>> out;
    for (int n = 1; n <= upTo; ++n) {
        const QString d = deviceFor(n);
        if (!d.isEmpty())
            out.append({n, d});
    }
    return out;
}

QString accessGroup(const QString &device)
{
    const QString group = QFileInfo(device).group();
    // Joining root would be no advice at all.
    if (group.isEmpty() || group == QLatin1String("root"))
        return QStringLiteral("dialout");
    return group;
}

} // namespace portmap
