#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The subcommands of kestrun-cli. Each takes the words after its name and returns the exit
// status: 0 on success, 1 with the program's message on standard error on failure. What they
// say about themselves is in cli_help.
struct Subcommand
{
    const char *name;
    int (*run)(const QStringList &words);
};

const QList<Subcommand> &subcommands();

// Device subcommands: they talk to a logger through the port the window would use.
int runPorts(const QStringList &words);
int runInfo(const QStringList &words);
int runTime(const QStringList &words);
int runDownload(const QStringList &words);
int runLive(const QStringList &words);

// File subcommands: they read ".brv2" files the window or `download` saved.
int runTable(const QStringList &words);
int runExport(const QStringList &words);
int runSummary(const QStringList &words);
int runReport(const QStringList &words);
// A report's PDF checked against the run it carries and the archive (report_subcommands.cpp).
int runVerify(const QStringList &words);

// The archive of every run read: list, get, import, sync (archive_subcommands.cpp).
int runArchive(const QStringList &words);
// A run judged again under today's limits (archive_judgements.cpp).
int runArchiveRejudge(const QStringList &words);

// Runs withdrawn with a reason, and the archive's check of itself (archive_records.cpp);
// dispatched from the archive group.
int runArchiveWithdraw(const QStringList &words);
int runArchiveVerify(const QStringList &words);

// `archive sign`: a signature of an archived run (archive_sign.cpp).
int runArchiveSign(const QStringList &words);

// The stored limits: show, set, clear (limits_subcommands.cpp).
int runLimits(const QStringList &words);

// The archive's audit trail: list (audit_subcommands.cpp).
int runAudit(const QStringList &words);
