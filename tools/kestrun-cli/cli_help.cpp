#include "tools/kestrun-cli/cli_help.h"

#include "acquisition/live_readings.h"

#include <algorithm>

namespace clihelp {
namespace {

using help::Command;
using help::Option;
using help::Positional;

Option portOption()
{
    return {{QStringLiteral("p"), QStringLiteral("port")},
            QStringLiteral("Serial port number N: the device named by KESTRUN_COM<N>, "
                           "otherwise the N-th serial device of the system (see 'ports')."),
            QStringLiteral("N")};
}

// The FILE argument and the unit switch of the subcommands that read a ".brv2" file.
Positional fileArgument()
{
    return {QStringLiteral("FILE"),
            QStringLiteral("A \".brv2\" file: an image file (downloaded set) or a row "
                           "file (live readings)."),
            QStringLiteral("FILE.brv2")};
}

Option fahrenheitOption()
{
    return {{QStringLiteral("f"), QStringLiteral("fahrenheit")},
            QStringLiteral("Temperatures in degrees Fahrenheit, as the window's °F "
                           "option shows them (sets without temperatures are unchanged)."),
            QString()};
}

// The limit options: of a file's run (`summary`, `report`: --high and --low limit the model's
// quantity, in the output's unit) or of the stored limits (`limits set`: the temperature).
QList<Option> limitOptions(bool ofFile)
{
    const QString quantity = ofFile ? QStringLiteral("the temperature (or the model's quantity)")
                                    : QStringLiteral("the temperature (in \u00b0C, or "
                                                     "\u00b0F with --fahrenheit)");
    return {
        {{QStringLiteral("high")}, QStringLiteral("High limit of %1.").arg(quantity),
         QStringLiteral("X")},
        {{QStringLiteral("low")}, QStringLiteral("Low limit of %1.").arg(quantity),
         QStringLiteral("X")},
        {{QStringLiteral("rh-high")}, QStringLiteral("High limit of the humidity (%)."),
         QStringLiteral("X")},
        {{QStringLiteral("rh-low")}, QStringLiteral("Low limit of the humidity (%)."),
         QStringLiteral("X")},
        {{QStringLiteral("delay")},
         QStringLiteral("Alarm delay in whole minutes, 0 to 525600 (a year). The alarm type "
                        "stays as stored unless --single or --cumulative is given."),
         QStringLiteral("MIN")},
        {{QStringLiteral("single")},
         QStringLiteral("Alarm type single: one excursion beyond a limit must last the delay."),
         QString()},
        {{QStringLiteral("cumulative")},
         QStringLiteral("Alarm type cumulative: the excursions beyond a limit together must "
                        "last the delay."),
         QString()},
    };
}

// Which stored set a `limits` subcommand works on.
QList<Option> scopeOptions()
{
    return {{{QStringLiteral("serial")},
             QStringLiteral("The set of the logger of serial number N (0 to 9999), as Setting "
                            "\u2192 Limits... keeps it for \"This logger\"."),
             QStringLiteral("N")},
            {{QStringLiteral("default")},
             QStringLiteral("The default set for every logger without one of its own (also "
                            "when neither option is given)."),
             QString()}};
}

// The rule every limit option, and every stored set, is held to.
const QString kLimitsChecked = QStringLiteral(
    "Limits are checked as the Limits dialog checks them: a limit is a number (an empty value is "
    "refused; a limit is removed with 'limits clear'), each low below its high, the delay a "
    "whole number of minutes from 0 to 525600. Limits that fail the check, given or stored, are "
    "refused with the reason on standard error and exit status 1.");

QList<Command> subcommands()
{
    return {
        {QStringLiteral("ports"), QStringLiteral("the port numbers and the devices they open"),
         QStringLiteral("Lists the port numbers that lead to a serial device, one "
                        "\"N<tab>device\" a line: the device named by KESTRUN_COM<N> where it "
                        "is set, otherwise the N-th serial device of the system."),
         {},
         {}},
        {QStringLiteral("info"), QStringLiteral("Device Details of the logger on a port"),
         QStringLiteral("Shows what the Device Details dialog shows of the logger on port N, "
                        "one \"label: value\" a line."),
         {portOption(),
          {{QStringLiteral("json")},
           QStringLiteral("One JSON object instead: serial (a number), id_bytes, location "
                          "(without its padding), model (null for a code the program does not "
                          "know), model_code, status (\"started\", \"stopped\" or "
                          "\"start_later\"), memory_full, readings and interval_seconds (null "
                          "for an interval unit the program does not know)."),
           QString()}},
         {}},
        {QStringLiteral("time"), QStringLiteral("the logger's clock"),
         QStringLiteral("Shows the clock of the logger on port N, or \"Device is Stopped\" when "
                        "it is not logging."),
         {portOption(),
          {{QStringLiteral("json")},
           QStringLiteral("One JSON object instead: stopped (true or false) and time "
                          "(HH:MM:SS, null when stopped)."),
           QString()}},
         {}},
        {QStringLiteral("download"), QStringLiteral("read the logger's memory into a .brv2 file"),
         QStringLiteral("Reads the whole memory of the logger on port N, as Read Data does, and "
                        "saves it as Save does: an image file, written completely or not at "
                        "all."),
         {portOption(),
          {{QStringLiteral("o"), QStringLiteral("output")},
           QStringLiteral("The \".brv2\" file to write (replaced if it exists); - for "
                          "standard output."),
           QStringLiteral("FILE")},
          {{QStringLiteral("no-archive")},
           QStringLiteral("Do not keep the run in the archive."), QString()}},
         {}},
        {QStringLiteral("table"),
         QStringLiteral("the readings table of a .brv2 file, tab-separated"),
         QStringLiteral("Prints the readings table of a file exactly as the window's table "
                        "shows it: heading row first, one row a line, cells separated by tabs, "
                        "\"***\" for an invalid reading."),
         {fahrenheitOption()},
         {fileArgument()}},
        {QStringLiteral("export"), QStringLiteral("the readings table as CSV or as a workbook"),
         QStringLiteral("Writes the readings table of a file as comma-separated values (RFC "
                        "4180, UTF-8) or as the workbook the window's Export command makes. The "
                        "output file is replaced completely or not at all."),
         {fahrenheitOption(),
          {{QStringLiteral("csv")},
           QStringLiteral("Write comma-separated values to OUT (- for standard output)."),
           QStringLiteral("OUT.csv")},
          {{QStringLiteral("xlsx")},
           QStringLiteral("Write a workbook to OUT (- for standard output)."),
           QStringLiteral("OUT.xlsx")}},
         {fileArgument()}},
        {QStringLiteral("summary"),
         QStringLiteral("the summary of a .brv2 file: statistics, excursions, verdict"),
         QStringLiteral("Prints what the window's Summary tab shows: the run, per sensor minimum, "
                        "maximum, mean, standard deviation and mean kinetic temperature, the "
                        "excursions beyond the limits and the verdict (\"ALARM\", \"OK\", "
                        "\"NO LIMITS\" or \"NO DATA\"). The limits are those stored for the logger (Setting "
                        "\u2192 Limits... in the window, or 'limits set'), or the default; the "
                        "options below override them for this run, in the output's unit. ") +
             kLimitsChecked +
             QStringLiteral(" Otherwise the exit status is 0 whatever the verdict."),
         QList<Option>{fahrenheitOption()} + limitOptions(true) +
             QList<Option>{{{QStringLiteral("json")},
                            QStringLiteral("One JSON object instead of the readable block; a "
                                           "value that does not apply is null."),
                            QString()}},
         {fileArgument()}},
        {QStringLiteral("report"),
         QStringLiteral("the report of a .brv2 file or an archived run as a PDF"),
         QStringLiteral("Writes the report the window's \"Report to PDF...\" makes: the run, "
                        "who made the report and who stored the run, the run's SHA-256 and "
                        "archive key, the limits, its signatures, the verdict, the statistics "
                        "per sensor and the first excursions; the graph of the whole run with "
                        "the limits; the listing with the readings beyond a limit marked. The "
                        "PDF carries the run's \".brv2\" file as an attachment and page 1's "
                        "figures in its metadata, so that 'verify' can check it. The limits are "
                        "those stored for the logger, or the default, with the options below "
                        "laid over them as for 'summary'. ") +
             kLimitsChecked +
             QStringLiteral(" The output file is replaced completely or not at all. A file "
                            "without readings has no report: the exit status is then 1. That "
                            "the report was written is recorded in the archive's trail; when "
                            "the archive cannot take it, the report is written all the same "
                            "and standard error says so."),
         QList<Option>{fahrenheitOption(),
                       {{QStringLiteral("o"), QStringLiteral("output")},
                        QStringLiteral("The PDF file to write (replaced if it exists); - "
                                       "for standard output."),
                        QStringLiteral("OUT.pdf")},
                       {{QStringLiteral("key")},
                        QStringLiteral("Report the archived run of this key instead of a FILE, "
                                       "under the limits of its document (no limit options)."),
                        QStringLiteral("KEY")}} +
             limitOptions(true),
         {fileArgument()}},
        {QStringLiteral("verify"), QStringLiteral("check a report's PDF against the run it carries"),
         QStringLiteral("Takes the \".brv2\" file attached to a report, checks its SHA-256 "
                        "against the report's, works the summary out again from it under the "
                        "report's limits and compares it with the report's figures (those of "
                        "the PDF's metadata). When the archive can be reached, it also checks "
                        "that the run is there with those bytes and not withdrawn, and that each "
                        "signature of the report is in the archive's signatures and its trail. "
                        "Prints one line starting \"verified:\" and exits 0, or names the first "
                        "mismatch on standard error and exits 1."),
         {{{QStringLiteral("no-archive")},
           QStringLiteral("Check the PDF on its own, without the archive."), QString()}},
         {{QStringLiteral("REPORT"), QStringLiteral("A PDF written by 'report' or the window."),
           QStringLiteral("REPORT.pdf")}}},
        {QStringLiteral("live"), QStringLiteral("live readings, one row at a time"),
         QStringLiteral("Polls the logger on port N for its present reading every SECONDS "
                        "seconds and prints each reading as a table row (tab-separated, heading "
                        "row first), stamped with this computer's date and time. Runs until "
                        "interrupted (Ctrl-C, SIGTERM) or until K rows have been printed."),
         {portOption(),
          {{QStringLiteral("i"), QStringLiteral("interval")},
           QStringLiteral("Seconds between readings, %1 to %2.")
               .arg(LiveReadings::kMinIntervalSeconds)
               .arg(LiveReadings::kMaxIntervalSeconds),
           QStringLiteral("SECONDS")},
          {{QStringLiteral("n"), QStringLiteral("count")}, QStringLiteral("Stop after K rows."),
           QStringLiteral("K")}},
         {}},
        {QStringLiteral("limits show"), QStringLiteral("the stored limits of a logger"),
         QStringLiteral("Prints the limits that apply to the logger of serial number N (its own "
                        "set, or the default when it has none), or the default set: per "
                        "quantity the low and high limit (temperatures in \u00b0C), the alarm "
                        "delay and type, and where they are stored. A stored set that fails the "
                        "check of the Limits dialog is refused: the reason on standard error, "
                        "exit status 1."),
         scopeOptions() +
             QList<Option>{{{QStringLiteral("json")},
                            QStringLiteral("One JSON object; a limit that is not set is null."),
                            QString()}},
         {}},
        {QStringLiteral("limits set"), QStringLiteral("store limits, as Setting \u2192 Limits... does"),
         QStringLiteral("Stores limits for the logger of serial number N, or the default set, "
                        "in the archive, where the window's Setting \u2192 Limits... keeps them. "
                        "The options given take the place of what is stored; the rest stays "
                        "(a logger without a set of its own starts from the default, as the "
                        "dialog does). ") +
             kLimitsChecked + QStringLiteral(" Nothing is stored then."),
         scopeOptions() + limitOptions(false) +
             QList<Option>{{{QStringLiteral("f"), QStringLiteral("fahrenheit")},
                            QStringLiteral("The temperature limits are given in degrees "
                                           "Fahrenheit (they are kept in \u00b0C)."),
                            QString()}},
         {}},
        {QStringLiteral("limits clear"), QStringLiteral("remove stored limits"),
         QStringLiteral("Removes the limits named by the options from the set of the logger of "
                        "serial number N, or from the default set. Without any of them the "
                        "whole set goes: the logger then has the default's limits, and every "
                        "logger without a set of its own has none."),
         scopeOptions() +
             QList<Option>{
                 {{QStringLiteral("high")}, QStringLiteral("The high limit of the temperature."),
                  QString()},
                 {{QStringLiteral("low")}, QStringLiteral("The low limit of the temperature."),
                  QString()},
                 {{QStringLiteral("rh-high")}, QStringLiteral("The high limit of the humidity."),
                  QString()},
                 {{QStringLiteral("rh-low")}, QStringLiteral("The low limit of the humidity."),
                  QString()}},
         {}},
        {QStringLiteral("archive list"),
         QStringLiteral("the archived runs, newest first (--json for scripts)"),
         QStringLiteral("Lists the archived runs, newest stored first: one tab-separated line a "
                        "run (key, stored at, source, serial, location, model, readings, first "
                        "and last reading, verdict), or a JSON array with --json. An archive "
                        "you may only read is listed, with a note on standard error."),
         {{{QStringLiteral("serial")}, QStringLiteral("Only the logger of serial number N."),
           QStringLiteral("N")},
          {{QStringLiteral("location")},
           QStringLiteral("Only runs whose location contains TEXT, in any case and with or "
                          "without accents."),
           QStringLiteral("TEXT")},
          {{QStringLiteral("since")},
           QStringLiteral("Only runs with readings on or after DATE: YYYY-MM-DD, "
                          "YYYY-MM-DDTHH:MM or YYYY-MM-DDTHH:MM:SS, nothing else. A day or "
                          "minute given counts whole: as --until, up to its last second."),
           QStringLiteral("DATE")},
          {{QStringLiteral("until")}, QStringLiteral("Only runs with readings on or before DATE."),
           QStringLiteral("DATE")},
          {{QStringLiteral("alarms")}, QStringLiteral("Only runs whose verdict is ALARM."),
           QString()},
          {{QStringLiteral("withdrawn")},
           QStringLiteral("Withdrawn runs too, their verdict marked \"(WITHDRAWN)\"."),
           QString()},
          {{QStringLiteral("json")}, QStringLiteral("Print a JSON array."), QString()}},
         {}},
        {QStringLiteral("archive get"), QStringLiteral("one run's .brv2 file, byte for byte"),
         QStringLiteral("Writes the run of KEY (see 'archive list') to a \".brv2\" file, byte "
                        "for byte as it was stored."),
         {{{QStringLiteral("o"), QStringLiteral("output")},
           QStringLiteral("The \".brv2\" file to write (replaced if it exists); - for "
                          "standard output."),
           QStringLiteral("FILE")}},
         {{QStringLiteral("KEY"), QStringLiteral("The run's key."), QStringLiteral("KEY")}}},
        {QStringLiteral("archive import"), QStringLiteral("bring .brv2 files into the archive"),
         QStringLiteral("Brings \".brv2\" files into the archive, one \"KEY<tab>FILE\" line "
                        "each. A file that cannot be read is named on standard error with the "
                        "reason 'summary' gives for it, and skipped; the others go in (exit "
                        "status 1 when any was skipped). A damaged archive is left as "
                        "it is: nothing goes in."),
         {},
         {{QStringLiteral("FILE"),
           QStringLiteral("The files to import; - reads one from standard input."),
           QStringLiteral("FILE...")}}},
        {QStringLiteral("archive sync"),
         QStringLiteral("send runs kept here while the shared archive was away"),
         QStringLiteral("Sends the runs kept on this computer while the shared archive could "
                        "not be reached, and says how many went."),
         {},
         {}},
        {QStringLiteral("archive withdraw"),
         QStringLiteral("take a run out of the list, with a reason"),
         QStringLiteral("Withdraws the run of KEY: it leaves the list (--withdrawn lists it "
                        "again), its bytes stay, and the audit trail records who withdrew it, "
                        "when and why. Prints \"withdrawn: KEY\". A blank reason, an unknown "
                        "key or a run withdrawn already is refused (exit status 1)."),
         {{{QStringLiteral("reason")}, QStringLiteral("Why the run is withdrawn (required)."),
           QStringLiteral("TEXT")}},
         {{QStringLiteral("KEY"), QStringLiteral("The run's key."), QStringLiteral("KEY")}}},
        {QStringLiteral("archive verify"),
         QStringLiteral("check every run's bytes and every event of the audit trail"),
         QStringLiteral("Checks every run's bytes against their hash and against the hash "
                        "their store event recorded, and every event of the audit trail "
                        "against the one before. Prints \"archive verified: N runs, M "
                        "events\", or names the first broken run or event on standard error "
                        "(exit status 1). Nothing found is changed or repaired."),
         {{{QStringLiteral("json")},
           QStringLiteral("Print {\"ok\", \"runs\", \"events\", \"problem\"} (null "
                          "when none)."),
           QString()}},
         {}},
        {QStringLiteral("audit list"),
         QStringLiteral("the archive's audit trail, oldest first (--json for scripts)"),
         QStringLiteral("Lists the events of the archive's audit trail, oldest first: one "
                        "tab-separated line an event (number, time as the computer that "
                        "recorded it read it, with its UTC offset, user, computer, action, run, "
                        "reason, details as compact JSON), or a JSON array with --json. The "
                        "actions are store, withdraw, sign, sign-failed, limits, rejudge, "
                        "report, export and settings."),
         {{{QStringLiteral("run")}, QStringLiteral("Only the events of the run of KEY."),
           QStringLiteral("KEY")},
          {{QStringLiteral("user")},
           QStringLiteral("Only the events of the login name USER."), QStringLiteral("USER")},
          {{QStringLiteral("action")},
           QStringLiteral("Only the events of ACTION; another name is refused with the list of "
                          "actions."),
           QStringLiteral("ACTION")},
          {{QStringLiteral("since")},
           QStringLiteral("Only events on or after DATE, in this computer's local time: "
                          "YYYY-MM-DD, YYYY-MM-DDTHH:MM or YYYY-MM-DDTHH:MM:SS. A day or minute "
                          "given counts whole: as --until, up to its last second."),
           QStringLiteral("DATE")},
          {{QStringLiteral("until")}, QStringLiteral("Only events on or before DATE."),
           QStringLiteral("DATE")},
          {{QStringLiteral("json")},
           QStringLiteral("A JSON array of objects with seq, at (UTC), utc_offset_s, user, "
                          "computer, action, run (null for none), details (an object), reason "
                          "(null for none) and hash."),
           QString()}},
         {}},
        {QStringLiteral("archive rejudge"),
         QStringLiteral("judge a run again under today's limits"),
         QStringLiteral("Judges the run of KEY under the limits that apply today and, when they "
                        "judge it otherwise than it is kept, records the new judgement with "
                        "the reason given: the old and the new verdict are both kept, and the "
                        "list's status follows the new one. Prints \"KEY: OLD -> NEW\". A run "
                        "today's limits judge as it is kept is said so, and nothing is "
                        "recorded."),
         {{{QStringLiteral("reason")}, QStringLiteral("Why it is judged again (required)."),
           QStringLiteral("TEXT")}},
         {{QStringLiteral("KEY"), QStringLiteral("The run's key."), QStringLiteral("KEY")}}},
        {QStringLiteral("archive sign"),
         QStringLiteral("sign an archived run as reviewed or approved"),
         QStringLiteral("Signs the run of KEY as yourself, the account kestrun-cli runs as, "
                        "after your own login password passed the system's check (PAM service "
                        "\"kestrun\"). The password is asked on the terminal without echo, or "
                        "read as one line from standard input with --password-stdin; it is "
                        "never shown, logged or kept. The signature prints your account's full "
                        "name; an account without one gives the name once with --name, and "
                        "giving it again changes it (recorded in the audit trail). Prints one "
                        "line naming who signed what; a wrong password signs nothing, is "
                        "recorded as a failed signing and exits with status 1."),
         {{{QStringLiteral("meaning")},
           QStringLiteral("What the signature says: reviewed or approved."),
           QStringLiteral("MEANING")},
          {{QStringLiteral("password-stdin")},
           QStringLiteral("Read the password as one line from standard input (for scripts)."),
           QString()},
          {{QStringLiteral("name")},
           QStringLiteral("The name printed with your signatures, for an account without a "
                          "full name (kept for the next signatures)."),
           QStringLiteral("TEXT")}},
         {{QStringLiteral("KEY"), QStringLiteral("The run's key."), QStringLiteral("KEY")}}},
    };
}

help::Program make()
{
    help::Program p;
    p.command.name = QStringLiteral("kestrun-cli");
    p.command.summary = QStringLiteral("the Kestrun data loggers and their .brv2 files from the "
                                       "command line");
    // The line break is the overview's: it is printed as it stands.
    p.command.description =
        QStringLiteral("The loggers from the command line: the same port rules, waits, checks, "
                       "files and\ntable texts as the Kestrun window.");
    p.usage = QStringLiteral("<subcommand> [options]");
    p.ownOptions = {
        {{QStringLiteral("h"), QStringLiteral("help")},
         QStringLiteral("Lists the subcommands. 'kestrun-cli help SUBCOMMAND' is "
                        "'kestrun-cli SUBCOMMAND --help'."),
         QString()},
        {{QStringLiteral("version")}, QStringLiteral("Prints the version."), QString()},
    };
    p.subcommands = subcommands();
    p.subcommandOwnOptions = {
        {{QStringLiteral("h"), QStringLiteral("help")},
         QStringLiteral("Describes the subcommand and its options."), QString()},
        {{QStringLiteral("help-all")}, QStringLiteral("The same, with Qt's own options."),
         QString()},
    };
    p.notes = {
        QStringLiteral("It needs no display. Ports are numbered as in the window's Setting \u2192 "
                       "Comm Port menu. Output files (\".brv2\", CSV, workbook, PDF) are "
                       "replaced only once the new one is completely written; a symbolic link "
                       "is followed and the file it leads to is replaced so, the link stays. A "
                       "device, a FIFO or a socket (such as /dev/stdout on a pipe) is written "
                       "as it is, never replaced. - as the output is standard output, so "
                       "'kestrun-cli report FILE.brv2 -o - | lp' prints the report; 'archive "
                       "import -' reads a file from standard input. A download draws a "
                       "progress bar on standard error only when that is a terminal, so logs "
                       "and cron mail get nothing but the outcome."),
        QStringLiteral("Texts that come from a file or a logger (a location, a caption) are "
                       "printed with their control characters as visible escapes (\\x1b, "
                       "\\t, \\n), so a run stays one line of a listing and nothing in a file "
                       "can move the terminal's cursor; --json gives them exactly as they are, "
                       "in JSON's escapes."),
        help::serialAccessNote(),
    };
    p.exitStatus = {
        {QStringLiteral("0"), QStringLiteral("Success.")},
        {QStringLiteral("1"),
         QStringLiteral("Failure or a usage error; the reason, in the window's words "
                        "(\"Device is not responding, \u2026\", \"File Corrupted\", \u2026), "
                        "is on standard error.")},
    };
    p.environment = {
        {QStringLiteral("KESTRUN_COM<N>"),
         QStringLiteral("The device that port number N opens, for example "
                        "KESTRUN_COM3=/dev/ttyUSB0. Without it, port N is the N-th serial "
                        "device of the system, sorted by name.")},
        {QStringLiteral("KESTRUN_ARCHIVE"),
         QStringLiteral("Where runs are archived: a folder (a SQLite archive in it) or a libpq "
                        "connection string such as 'service=loggers' or "
                        "'postgresql://host/db'. Without it, the window's Archive setting, "
                        "else a SQLite file in the per-user data folder. A connection string "
                        "holding a password is refused, as the Archive setting refuses it.")},
    };
    p.files = {
        {QStringLiteral("*.brv2"),
         QStringLiteral("Readings files, as the window's File \u2192 Save writes them and "
                        "File \u2192 Open reads them: an image file (a downloaded memory) or a "
                        "row file (live readings).")},
    };
    p.examples = {
        {QStringLiteral("kestrun-cli ports"), QStringLiteral("The port numbers and devices, "
                                                             "\"3<tab>/dev/ttyUSB0\" a line.")},
        {QStringLiteral("kestrun-cli info --port 3"),
         QStringLiteral("Device Details of the logger on port 3.")},
        {QStringLiteral("KESTRUN_COM3=/dev/ttyUSB0 kestrun-cli download --port 3 -o freezer.brv2"),
         QStringLiteral("Reads the logger on /dev/ttyUSB0 into freezer.brv2 (a full memory takes "
                        "about 4.5 minutes).")},
        {QStringLiteral("kestrun-cli table freezer.brv2 --fahrenheit"),
         QStringLiteral("The readings table, tab-separated, in degrees Fahrenheit.")},
        {QStringLiteral("kestrun-cli export freezer.brv2 --csv freezer.csv"),
         QStringLiteral("The same table as CSV.")},
        {QStringLiteral("kestrun-cli summary freezer.brv2 --high -18 --json"),
         QStringLiteral("The summary as JSON, with a high limit of -18 \u00b0C for this run.")},
        {QStringLiteral("kestrun-cli report freezer.brv2 -o freezer.pdf"),
         QStringLiteral("The report of the run, with the limits stored for its logger.")},
        {QStringLiteral("kestrun-cli limits set --serial 1207 --high -18 --delay 30 --single"),
         QStringLiteral("Logger 1207 is in alarm once one excursion above -18 \u00b0C lasts 30 "
                        "minutes; the window and every later summary and report see it.")},
        {QStringLiteral("kestrun-cli live --port 3 --interval 10 --count 6"),
         QStringLiteral("Six live readings, ten seconds apart.")},
    };
    p.seeAlso = {QStringLiteral("kestrun(1)")};
    return p;
}

} // namespace

const help::Program &program()
{
    static const help::Program p = make();
    return p;
}

QString overview()
{
    const help::Program &p = program();
    QString text = QStringLiteral("Usage: %1 %2\n\n%3\n\nSubcommands:\n")
                       .arg(p.command.name, p.usage, p.command.description);
    qsizetype width = 10;
    for (const Command &s : p.subcommands)
        width = std::max(width, s.name.size() + 2);
    for (const Command &s : p.subcommands)
        text += QStringLiteral("  %1%2\n").arg(s.name, -int(width)).arg(s.summary);
    text += QStringLiteral(
        "\n'kestrun-cli <subcommand> --help' describes a subcommand and its options.\n"
        "Exit status: 0 on success, 1 on failure (the reason on standard error).\n");
    return text;
}

} // namespace clihelp
