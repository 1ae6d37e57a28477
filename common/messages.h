#pragma once

#include <QString>

// The program's own texts: messages, titles and prompts. Use these constants; never retype a
// text, the spacing and punctuation are part of what users (and their habits) rely on.
namespace msg {

// Titles
inline const QString kTitleWarningDots = QStringLiteral("Warning....");
inline const QString kTitleWarning = QStringLiteral("Warning");

// Port
inline const QString kInvalidPort =
    QStringLiteral("Invalid port is selected ! Please select another port");
inline const QString kFileAccessingError = QStringLiteral("File Accessing Error");
inline const QString kEnterCommPort = QStringLiteral("Enter Comm Port Number");

// Exchanges
inline const QString kNotResponding = QStringLiteral(
    "Device is not responding, Please check the interface cable and the selected Port");
inline const QString kNotStopped = QStringLiteral("Device is not Stopped, device is not responding");
inline const QString kError = QStringLiteral("ERROR");
inline const QString kDeviceIsStoppedClock = QStringLiteral("Device is Stopped");
inline const QString kDeviceIsStopped = QStringLiteral("Device is stopped");
inline const QString kCleared = QStringLiteral("Cleared");
inline const QString kConfirmStop = QStringLiteral(
    "After this Operation, Device will not take further readings ! Do you want to continue...? ");
inline const QString kConfirmErase =
    QStringLiteral("After this Operation, Device will be erased and will not take further "
                   "readings ! Do you want to continue...? ");
// The menu and the toolbar ask with six and seven blanks after "any," respectively.
inline const QString kConfirmStartMenu =
    QStringLiteral("Restarting the device will erase all the 'Old Data' stored in memory,if any,"
                   "      Do you want to continue ?....");
inline const QString kConfirmStartToolbar =
    QStringLiteral("Restarting the device will erase all the 'Old Data' stored in memory,if any,"
                   "       Do you want to continue ?....");
inline const QString kNotEnabled =
    QStringLiteral("Device not enabled,Click on Identify device and Enable first");

// Identify dialog
inline const QString kDeviceDetailsCaption = QStringLiteral("Device Details");
inline const QString kCaptionSerNo = QStringLiteral("Serial.No");
inline const QString kCaptionLocation = QStringLiteral("Location");
inline const QString kCaptionModel = QStringLiteral("Model");
inline const QString kCaptionDevStatus = QStringLiteral("Device Status");
inline const QString kCaptionNoReadings = QStringLiteral("No of Readings");
inline const QString kCaptionInterval = QStringLiteral("Reading Interval");
inline const QString kSend = QStringLiteral("Send");
// Value labels start with a colon and five blanks; the location with a colon and four.
inline const QString kDetailPrefix = QStringLiteral(":     ");
inline const QString kLocationPrefix = QStringLiteral(":    ");
inline const QString kStatusStartLater = QStringLiteral("Start Later");
inline const QString kStatusStarted = QStringLiteral("Started");
inline const QString kStatusStopped = QStringLiteral("Stopped");
inline const QString kUnitSeconds = QStringLiteral("  Seconds");
inline const QString kUnitMinutes = QStringLiteral("  Minutes");
inline const QString kUnitHours = QStringLiteral("  Hours");
inline const QString kEnablePanel = QStringLiteral("Device not enabled Please enable this time");
inline const QString kSerNoNotNumeric = QStringLiteral("Ser.No. should be numeric");
inline const QString kSerNoOutOfRange =
    QStringLiteral("Ser.No. Out of range, No. should be less than 10000");
// The identification bytes written with the serial number: day, month and year - 2000.
inline const QString kIdDayOutOfRange = QStringLiteral("Day should be a whole number from 1 to 31");
inline const QString kIdMonthOutOfRange =
    QStringLiteral("Month should be a whole number from 1 to 12");
inline const QString kIdYearOutOfRange =
    QStringLiteral("Year should be a whole number from 0 to 255 (the year less 2000)");

// Download and live readings
inline const QString kReading = QStringLiteral("Reading . . .");
inline const QString kLiveError = QStringLiteral("Error");

// Files
inline const QString kFileCorrupted = QStringLiteral("File Corrupted");
inline const QString kFileError = QStringLiteral("File Error");
inline const QString kBrivakFilter = QStringLiteral("Brivak Files (*.brv2)");

// Output
inline const QString kNoDataToPrint = QStringLiteral("No data to print");
inline const QString kExcelNotAvailable = QStringLiteral("Excel not available");
inline const QString kSheetTitle = QStringLiteral("BRIVAK KESTRUN READINGS");
inline const QString kSysInfoUnavailable =
    QStringLiteral("System Information Is Unavailable At This Time");

} // namespace msg
