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
// %1 the port number, %2 the system's reason. Shown once; the conversation that was running
// ends without a message of its own.
inline const QString kPortLost =
    QStringLiteral("The connection to COM%1 was lost (%2).\nConnect the logger again and choose "
                   "its port under Setting, Comm Port.");

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
// Asked before a command erases a logger that holds readings; %1 how many, %2 about how long
// reading them takes.
inline const QString kReadBeforeErase =
    QStringLiteral("The logger holds %1 readings that will be erased. Read and keep them first "
                   "(about %2)?");
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
inline const QString kSerNoNegative =
    QStringLiteral("Ser.No. should not be negative, the logger keeps it without a sign");
// The identification bytes written with the serial number: day, month and year - 2000.
inline const QString kIdDayOutOfRange = QStringLiteral("Day should be a whole number from 1 to 31");
inline const QString kIdMonthOutOfRange =
    QStringLiteral("Month should be a whole number from 1 to 12");
inline const QString kIdYearOutOfRange =
    QStringLiteral("Year should be a whole number from 0 to 255 (the year less 2000)");

// Start dialog
inline const QString kStartDeviceCaption = QStringLiteral("Start Device");
inline const QString kCaptionDate = QStringLiteral("Date");
inline const QString kCaptionTime = QStringLiteral("Time");
inline const QString kFrameReadingInterval = QStringLiteral("Reading Interval");
inline const QString kOptSecond = QStringLiteral("Second");
inline const QString kOptMinute = QStringLiteral("Minute");
inline const QString kOptHour = QStringLiteral("Hour");
inline const QString kFrameOption = QStringLiteral("Option");
inline const QString kOptStart = QStringLiteral("Start");
inline const QString kOptStartAfter = QStringLiteral("Start After");
inline const QString kCaptionHrs = QStringLiteral("hrs");
inline const QString kCaptionMin = QStringLiteral("min");
inline const QString kFrameLocation = QStringLiteral("Location");
inline const QString kExit = QStringLiteral("Exit");
// %1: the characters, each in quotes. The logger keeps one byte per character, so these would
// read back as other characters.
inline const QString kLocationNotKept =
    QStringLiteral("The logger stores one byte per character of the location, so %1 would not "
                   "read back as typed.\n\nSend the location anyway?");
// %1 step, %2 what the step sets, %3 frames sent for it so far.
inline const QString kWaitingForStep =
    QStringLiteral("Waiting for the logger to acknowledge step %1 of 12 (%2)\u2026 sent %3 "
                   "times. Exit ends the run.");
inline const QString kAllStepsAcknowledged =
    QStringLiteral("The logger has acknowledged all 12 steps.");
// %1 the step that was waiting.
inline const QString kStartInterrupted =
    QStringLiteral("The connection was lost at step %1 of 12: the logger is not programmed. "
                   "Exit, choose the port again and start the logger once more.");
// What each of the twelve start steps sets, for the waiting text.
inline const QString kStartStepNames[12] = {
    QStringLiteral("seconds"),        QStringLiteral("minutes"),
    QStringLiteral("hours"),          QStringLiteral("day"),
    QStringLiteral("month"),          QStringLiteral("year"),
    QStringLiteral("interval"),       QStringLiteral("start"),
    QStringLiteral("location 1-4"),   QStringLiteral("location 5-8"),
    QStringLiteral("location 9-12"),  QStringLiteral("location 13-16"),
};

// Download and live readings
inline const QString kReading = QStringLiteral("Reading . . .");
inline const QString kLiveError = QStringLiteral("Error");

// Files
inline const QString kFileCorrupted = QStringLiteral("File Corrupted");
inline const QString kFileError = QStringLiteral("File Error");
inline const QString kBrivakFilter = QStringLiteral("Brivak Files (*.brv2)");
inline const QString kTitleOpen = QStringLiteral("Open");
inline const QString kTitleSave = QStringLiteral("Save");
inline const QString kNothingToSave =
    QStringLiteral("There is no reading set to save. Read a logger or open a file first.");
// %1: the file, %2: the system's reason.
inline const QString kSaveFailed =
    QStringLiteral("The file %1 could not be saved: %2\nA file saved there before is unchanged.");
// %1: a device, a pipe or standard output, %2: the system's reason. Nothing was replaced.
inline const QString kWriteFailed = QStringLiteral("%1 could not be written: %2");
inline const QString kStandardOutputName = QStringLiteral("standard output");
// Why an output cannot be written where it was named. %1: the folder.
inline const QString kOutputNoFolder = QStringLiteral("the folder %1 does not exist");
inline const QString kOutputIsFolder = QStringLiteral("it is a folder");
inline const QString kOutputTooManyLinks = QStringLiteral("it leads through too many symbolic links");

// Output
inline const QString kNoDataToPrint = QStringLiteral("No data to print");
inline const QString kExcelNotAvailable = QStringLiteral("Excel not available");
inline const QString kSheetTitle = QStringLiteral("BRIVAK KESTRUN READINGS");
// Print Options dialog
inline const QString kPrintOptions = QStringLiteral("Print Options");
inline const QString kPrintData = QStringLiteral("Print Data");
inline const QString kPrintGraph = QStringLiteral("Print Graph");
// Two blanks after the comma.
inline const QString kTitlePrompt = QStringLiteral("If you want any title,  type here");
inline const QString kOptAll = QStringLiteral("All");
inline const QString kOptActiveSheet = QStringLiteral("Active Sheet");
inline const QString kOptSelectRange = QStringLiteral("Select Range");
inline const QString kOK = QStringLiteral("OK");
inline const QString kRangeFrom = QStringLiteral("From");
inline const QString kRangeTo = QStringLiteral("To");
inline const QString kInvalidStartTime =
    QStringLiteral("The start time is not a valid time. Please choose a time from the list.");
inline const QString kInvalidEndTime =
    QStringLiteral("The end time is not a valid time. Please choose a time from the list.");
inline const QString kPrinterNotReady = QStringLiteral(
    "The printer could not be started. Please check that it is connected and switched on, or "
    "choose another printer.");
inline const QString kPrintFailed = QStringLiteral(
    "The printout could not be completed. Please check the printer and print again.");

// Printouts. The blanks are part of the layout: they line the headings up over the columns.
inline const QString kPrnSerialNo = QStringLiteral("Serial No.");
inline const QString kPrnLocation = QStringLiteral("Location.");
inline const QString kPrnBlank = QStringLiteral(" ");
inline const QString kPrnSlNo = QStringLiteral("Sl.No");
inline const QString kPrnDate = QStringLiteral("     Date");
inline const QString kPrnTime = QStringLiteral("     Time");
inline const QString kPrnTempC = QStringLiteral("Temp(°C)");
inline const QString kPrnTempF = QStringLiteral("Temp(°F)");
inline const QString kPrnRh = QStringLiteral("  RH (%)");
inline const QString kPrnVolt = QStringLiteral("Volt (V)");
inline const QString kPrnCo2 = QStringLiteral("CO2(PPM)");
inline const QString kPrnGraphSerial = QStringLiteral("( Serial No.  ");
inline const QString kPrnGraphLocation = QStringLiteral(",    Location   ");
inline const QString kPrnGraphClose = QStringLiteral(" )");
inline const QString kNoReadingInRange = QStringLiteral("No reading lies in the selected range.");

// %1: the folder the manual belongs in.
inline const QString kManualNotOpened =
    QStringLiteral("The manual \"KT Manual.pdf\" could not be opened.\nIt belongs in %1");

inline const QString kSysInfoUnavailable =
    QStringLiteral("System Information Is Unavailable At This Time");

// A message with why after it, as the command line says it ("File Error: row 12: the time
// field is not a time"); the message alone when there is no reason.
inline QString withReason(const QString &text, const QString &reason)
{
    return reason.isEmpty() ? text : text + QStringLiteral(": ") + reason;
}

} // namespace msg
