#pragma once

// Genuine inputs to start the mutations from: what simulated loggers of every model answer,
// and the files the program saves from what it downloaded or read live.

#include <QByteArray>
#include <QList>

namespace fuzz {

// One simulated logger: its model, how it logs and how much it holds.
struct Logger
{
    int model = 1;
    char unit = 'M';
    int count = 15;
    int readings = 40;
    bool enabled = true;
    bool started = false;
    bool waiting = false;
};

// A spread of loggers: every model code, every interval unit, not enabled, started, waiting.
QList<Logger> loggers();

// What such a logger answers to "R","P", "R","R" and "R","T".
QByteArray parameterReply(const Logger &l);
QByteArray memoryImage(const Logger &l);
QByteArray liveReply(const Logger &l);

// The ".brv2" files the program writes for a download of the logger (an image file) and for
// its table saved as a live run (a row file), with the table shown in degC or degF.
QByteArray imageFile(const Logger &l);
QByteArray rowFile(const Logger &l, bool fahrenheit);

} // namespace fuzz
