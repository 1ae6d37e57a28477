#include "app/app_help.h"

#include <QCommandLineParser>

#include <cstdio>
#include <cstring>

namespace apphelp {
namespace {

help::Program make()
{
    help::Program p;
    p.command.name = QStringLiteral("kestrun");
    p.command.summary = QStringLiteral("program, download and chart RV temperature, humidity, "
                                       "voltage and CO2 data loggers");
    p.command.description =
        QStringLiteral("Kestrun, the desktop program for RV data loggers on a USB-to-serial "
                       "cable. A \".brv2\" file named on the command line is opened at start-up "
                       "as File \u2192 Open opens it.");
    p.command.positionals = {
        {QStringLiteral("FILE"),
         QStringLiteral("A \".brv2\" readings file to open at start-up."),
         QStringLiteral("[FILE.brv2]")},
    };
    p.usage = QStringLiteral("[options] [FILE.brv2]");
    p.ownOptions = {
        {{QStringLiteral("h"), QStringLiteral("help")},
         QStringLiteral("Prints these options and ends."), QString()},
        {{QStringLiteral("help-all")},
         QStringLiteral("The same, with Qt's own options (-platform, -style, \u2026)."), QString()},
        {{QStringLiteral("v"), QStringLiteral("version")},
         QStringLiteral("Prints the version and ends."), QString()},
    };
    p.notes = {
        QStringLiteral("Through one serial port at 1200 baud Kestrun identifies a logger and "
                       "gives it a serial number, programs and starts a logging run, stops or "
                       "erases it, reads its clock, downloads its whole memory and polls it for "
                       "live readings. Readings appear in one data window as a table and a "
                       "zoomable time graph, switch between \u00b0C and \u00b0F, are saved to and "
                       "reopened from \".brv2\" files, printed as a listing or a graph, and "
                       "exported to a spreadsheet workbook."),
        QStringLiteral("The logger's port is chosen in Setting \u2192 Comm Port; the status bar "
                       "shows which device the chosen number opened. Help \u2192 Brivak QTRN "
                       "Help opens the user manual."),
        help::serialAccessNote(),
    };
    p.exitStatus = {
        {QStringLiteral("0"), QStringLiteral("The program was closed, or it printed its help or "
                                             "version.")},
        {QStringLiteral("1"), QStringLiteral("A usage error: an unknown option or more than one "
                                             "file (the reason on standard error).")},
    };
    p.environment = {
        {QStringLiteral("KESTRUN_COM<N>"),
         QStringLiteral("The device that port number N (Setting \u2192 Comm Port) opens, for "
                        "example KESTRUN_COM3=/dev/ttyUSB0. Without it, port N is the N-th "
                        "serial device of the system, sorted by name.")},
    };
    p.files = {
        {QStringLiteral("Comport.txt"),
         QStringLiteral("The chosen port number: beside the program, or, when the program's "
                        "folder is not writable (an installed program), in "
                        "~/.local/share/Brivak/Kestrun/Comport.txt.")},
        {QStringLiteral("KT Manual.pdf"),
         QStringLiteral("The user manual Help opens: in share/doc/Kestrun under the "
                        "installation prefix (/usr/share/doc/Kestrun from the package).")},
        {QStringLiteral("*.brv2"),
         QStringLiteral("Readings files, written by File \u2192 Save and read by File \u2192 "
                        "Open.")},
    };
    p.examples = {
        {QStringLiteral("kestrun freezer.brv2"),
         QStringLiteral("Starts Kestrun showing the readings saved in freezer.brv2.")},
        {QStringLiteral("KESTRUN_COM1=/dev/ttyUSB0 kestrun"),
         QStringLiteral("Starts Kestrun with port 1 leading to the cable on /dev/ttyUSB0.")},
    };
    p.seeAlso = {QStringLiteral("kestrun-cli(1)")};
    return p;
}

} // namespace

const help::Program &program()
{
    static const help::Program p = make();
    return p;
}

bool asksOnlyForText(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char *word : {"-h", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], word) == 0)
                return true;
    return false;
}

Start readCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    help::addTo(parser, program().command);
    parser.addHelpOption();
    parser.addVersionOption();
    // Help, the version and unknown options end the run here, as in every Qt program.
    parser.process(arguments);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fputs(qPrintable(QStringLiteral("kestrun: one file at a time, not %1\n"
                                             "Try 'kestrun --help'.\n")
                                  .arg(files.size())),
                   stderr);
        return {1, {}};
    }
    return {std::nullopt, files.value(0)};
}

} // namespace apphelp
