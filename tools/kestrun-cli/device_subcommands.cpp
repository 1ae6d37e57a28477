// The subcommands that talk to a logger. Each drives the same core objects as the window:
// the port rules of the Comm Port menu, DeviceDetails (the Device Details dialog),
// DeviceCommands (Device Time), Downloader (Read Data) and LiveReadings (the live toolbar),
// with their waits, checks and retry budgets, in an ordinary event loop.

#include "tools/kestrun-cli/subcommands.h"
#include "tools/kestrun-cli/site_store.h"

#include "acquisition/download.h"
#include "acquisition/live_readings.h"
#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "acquisition/time_left.h"
#include "archive/record_of_run.h"
#include "common/messages.h"
#include "common/output_file.h"
#include "common/text_from_file.h"
#include "datafile/set_io.h"
#include "device/device_commands.h"
#include "device/device_details.h"
#include "device/device_results.h"
#include "device/port_mapping.h"
#include "run/run_document.h"
#include "tools/kestrun-cli/archive_store.h"
#include "tools/kestrun-cli/cli_host.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/interrupt_watch.h"
#include "tools/kestrun-cli/json_out.h"
#include "tools/kestrun-cli/progress_bar.h"
#include "tools/kestrun-cli/subcommand_parser.h"
#include "tools/kestrun-cli/table_text.h"

#include <QEventLoop>
#include <QJsonObject>

#include <limits>

namespace {

const QString kJson = QStringLiteral("json");

QString detailLine(const QString &caption, const QString &value)
{
    return caption + QStringLiteral(": ") + value;
}

// The Device Details dialog's lines, "caption: value".
void printDetails(const LoggerDetails &d)
{
    console::outLine(detailLine(msg::kCaptionSerNo, d.identity.serialText()));
    console::outLine(detailLine(msg::kCaptionLocation, textfromfile::shown(d.location)));
    console::outLine(detailLine(msg::kCaptionModel, d.modelName()));
    console::outLine(detailLine(msg::kCaptionDevStatus, d.statusText()));
    console::outLine(detailLine(msg::kCaptionNoReadings, d.readingsText()));
    console::outLine(detailLine(msg::kCaptionInterval, d.intervalText()));
}

QString statusName(LoggerDetails::Status s)
{
    switch (s) {
    case LoggerDetails::Status::Started:
        return QStringLiteral("started");
    case LoggerDetails::Status::StartLater:
        return QStringLiteral("start_later");
    case LoggerDetails::Status::Stopped:
        break;
    }
    return QStringLiteral("stopped");
}

QJsonObject jsonOf(const LoggerDetails &d)
{
    const int serial = d.identity.serialNumber();
    return {
        {QStringLiteral("serial"), serial >= 0 ? QJsonValue(serial) : QJsonValue()},
        {QStringLiteral("id_bytes"), d.identity.idBytes},
        {QStringLiteral("location"), d.identity.location},
        {QStringLiteral("model"), jsonout::orNull(d.modelName())},
        {QStringLiteral("model_code"), d.model},
        {QStringLiteral("status"), statusName(d.status)},
        {QStringLiteral("memory_full"), d.memoryFull},
        {QStringLiteral("readings"), d.readings},
        {QStringLiteral("interval_seconds"),
         d.interval ? QJsonValue(d.interval->seconds()) : QJsonValue()},
    };
}

QJsonObject jsonOf(const ClockReading &c)
{
    return {
        {QStringLiteral("stopped"), c.stopped},
        {QStringLiteral("time"),
         c.stopped ? QJsonValue() : QJsonValue(c.time.toString(Qt::ISODate))},
    };
}

// A device command that failed: the window's message and why; for a line that dropped, the
// port's own notice, which says why.
int failWith(const DeviceError &e, const CliHost &host)
{
    if (e.kind == DeviceError::Kind::LinkLost)
        return console::fail(host.failureText());
    return console::fail(e.message, e.reason);
}

// Opens the port --port names. nullopt when it is open; otherwise the run is over with that
// status (the reason already reported).
std::optional<int> openPort(SubcommandParser &p, CliHost &host)
{
    const auto port = p.port();
    if (!port)
        return 1;
    QString why;
    if (!host.openPort(*port, &why))
        return console::fail(why);
    return std::nullopt;
}

// The start of a subcommand whose only option is --port: the arguments read, then the port
// opened. nullopt when it is open; otherwise the run is over with that status.
std::optional<int> parseAndOpen(SubcommandParser &p, const QStringList &words, CliHost &host)
{
    if (const auto status = p.parse(words))
        return status;
    return openPort(p, host);
}

} // namespace

int runPorts(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("ports"));
    if (const auto status = p.parse(words))
        return *status;
    for (const auto &[number, device] : portmap::mappedPorts())
        console::outLine(QStringLiteral("%1\t%2").arg(number).arg(device));
    return 0;
}

int runInfo(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("info"));
    CliHost host;
    if (const auto status = parseAndOpen(p, words, host))
        return *status;

    DeviceDetails details(host);
    QEventLoop loop;
    QObject::connect(&details, &DeviceDetails::detailsRead, &loop, &QEventLoop::quit);
    QObject::connect(&details, &DeviceDetails::failed, &loop, &QEventLoop::quit);
    details.activate();
    loop.exec();
    details.close();
    // A logger without a serial number fails too: enabling it is the window's business.
    if (const auto &e = details.error())
        return failWith(*e, host);
    if (p.isSet(kJson))
        jsonout::print(QJsonDocument(jsonOf(*details.details())));
    else
        printDetails(*details.details());
    return 0;
}

int runTime(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("time"));
    CliHost host;
    if (const auto status = parseAndOpen(p, words, host))
        return *status;

    DeviceCommands commands(host);
    QEventLoop loop;
    QObject::connect(&commands, &DeviceCommands::finished, &loop, &QEventLoop::quit);
    commands.Device_Time();
    if (commands.isRunning())
        loop.exec();
    if (const auto &e = commands.error())
        return failWith(*e, host);
    if (p.isSet(kJson))
        jsonout::print(QJsonDocument(jsonOf(*commands.clock())));
    else
        console::outLine(commands.clock()->text());
    return 0;
}

int runDownload(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("download"));
    if (const auto status = p.parse(words))
        return *status;
    const auto output = p.required(QStringLiteral("output"));
    if (!output)
        return 1;
    // Checked before a long download rather than after.
    const QString path = outputfile::absoluteName(*output);
    if (const QString why = outputfile::destinationOf(path).problem; !why.isEmpty())
        return console::fail(outputfile::failureText(path, why));

    CliHost host;
    if (const auto status = openPort(p, host))
        return *status;

    Downloader download(host.link());
    ProgressBar bar(console::errIsTerminal());
    QEventLoop loop;
    QObject::connect(&download, &Downloader::labelShown, &loop, [&] { bar.show(msg::kReading); });
    QObject::connect(&download, &Downloader::progress, &loop,
                     [&](int value) { bar.setValue(value, Downloader::kProgressMax); });
    QObject::connect(&download, &Downloader::timeLeft, &loop,
                     [&](int seconds) { bar.setNote(TimeLeft::text(seconds)); });
    QObject::connect(&download, &Downloader::finished, &loop,
                     [&](Downloader::Outcome o) { loop.exit(int(o)); });
    download.start();
    const auto outcome = Downloader::Outcome(loop.exec());
    bar.finish();
    if (outcome != Downloader::Outcome::Done) {
        Downloader::report(outcome, host.prompter());
        return console::fail(host.failureText(), download.failureReason());
    }

    RunDocument doc(&archivecli::siteLimits());
    doc.takeDownload(download.image(), download.model());
    // The file's bytes are the run's: encoded once, written first, so an archive that is slow
    // to answer never holds up the file.
    const archive::RunRecord run = archive::recordOf(doc);
    QString error;
    if (!outputfile::write(path, run.bytes, &error))
        return console::fail(outputfile::failureText(path, error));
    archivecli::storeDownload(p, run);
    return 0;
}

int runLive(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("live"));
    if (const auto status = p.parse(words))
        return *status;
    const auto interval = p.number(QStringLiteral("interval"), LiveReadings::kMinIntervalSeconds,
                                   LiveReadings::kMaxIntervalSeconds);
    if (!interval)
        return 1;
    int count = 0; // no limit
    if (p.isSet(QStringLiteral("count"))) {
        const auto k = p.number(QStringLiteral("count"), 1, std::numeric_limits<int>::max());
        if (!k)
            return 1;
        count = *k;
    }
    CliHost host;
    if (const auto status = openPort(p, host))
        return *status;

    RunDocument doc(&archivecli::siteLimits());
    doc.beginLive();
    const int seconds = *interval;
    LiveReadings live(host.link(), doc.set(), host.prompter(), [seconds] { return seconds; });
    InterruptWatch interrupt;
    QEventLoop loop;
    int printed = 0;
    QObject::connect(&live, &LiveReadings::rowAdded, &loop, [&](int row) {
        ReadingsTable &table = doc.set().table();
        if (printed == 0)
            console::outLine(tabletextout::tabRow(table, 0));
        console::outLine(tabletextout::tabRow(table, row));
        // Printed rows are not needed again: the table keeps only its headings, so a run of
        // weeks stays small. The row numbers come from the run's own count.
        table.setRows(1);
        if (++printed == count) {
            live.stop();
            loop.exit(0);
        }
    });
    QObject::connect(&live, &LiveReadings::failed, &loop, [&] { loop.exit(1); });
    QObject::connect(&interrupt, &InterruptWatch::interrupted, &loop, [&] {
        live.stop();
        loop.exit(0);
    });
    live.begin();
    if (loop.exec() != 0)
        return console::fail(host.failureText(), live.failureReason());
    return 0;
}
