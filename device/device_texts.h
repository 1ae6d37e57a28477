#pragma once

#include <QString>

// Texts of the device subsystem that are not the dialogs' captions or the message boxes (those
// are in common/messages.h): why an exchange failed, what the status bar says of the port, and
// the tips of the programming panel's boxes.
namespace devicetext {

// Why an exchange failed. %1 the requests sent, %2 what the last poll brought.
inline const QString kNoValidReply = QStringLiteral("no valid reply to %1 requests: %2");
// %1 what came, %2 "at least " or nothing, %3 the bytes wanted.
inline const QString kLastBrought = QStringLiteral("the last brought %1, %2%3 wanted");
inline const QString kAtLeast = QStringLiteral("at least ");
inline const QString kLastNoAcknowledgement =
    QStringLiteral("the last 9 bytes were no acknowledgement");
// %1 what came.
inline const QString kReplyNoAcknowledgement =
    QStringLiteral("the reply of %1 is no acknowledgement");
inline const QString kNothing = QStringLiteral("nothing");
inline const QString kOneByte = QStringLiteral("1 byte");
inline const QString kBytes = QStringLiteral("%1 bytes");

// A port's name, %1 its number; on Windows also the name of the device it opens.
inline const QString kPortName = QStringLiteral("COM%1");
// The port in the status bar. %1 the port's name, %2 the device it opens.
inline const QString kPortOpened = QStringLiteral("%1 \u2192 %2");
inline const QString kNoSuchPort = QStringLiteral("%1: no such port");
inline const QString kPortBusy = QStringLiteral(": in use by another program");
// %1 the group that may use serial devices.
inline const QString kPortNoPermission =
    QStringLiteral(": no permission to open it; join the group %1 and log in again");
inline const QString kPortNotOpened = QStringLiteral(": cannot be opened");
// %1 the port's name, %2 the system's reason.
inline const QString kPortLostStatus = QStringLiteral("%1: connection lost (%2)");
// The reason when a hung-up line gives none of its own.
inline const QString kDisconnected = QStringLiteral("the cable or the device was disconnected");

// Tips of the programming panel's boxes.
inline const QString kTipDay = QStringLiteral("Day");
inline const QString kTipMonth = QStringLiteral("Month");
inline const QString kTipYear = QStringLiteral("Year - 2000");
inline const QString kTipSerial = QStringLiteral("Serial number, 0 to 9999");

} // namespace devicetext
