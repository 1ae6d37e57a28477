#pragma once

#include "common/logger_identity.h"

#include <QString>
#include <QTime>

#include <optional>

class ParamReply;

// What the device commands found out, as values. The dialogs and message boxes show texts made
// from these, and kestrun-cli prints them; nobody reads a value back out of a label or a box.

// The logger's details as its parameter block gives them (Device Details).
struct LoggerDetails
{
    enum class Status { Stopped, Started, StartLater };

    // How often the logger takes a reading: `count` of the unit 'S', 'M' or 'H'.
    struct Interval
    {
        int count = 0;
        char unit = 'M';
        int seconds() const;
    };

    LoggerIdentity identity; // serial number, identification bytes, location without padding
    QString location;        // the 16 location characters byte for byte, padding included
    int model = 0;           // the model code
    Status status = Status::Stopped;
    bool memoryFull = false;
    // Readings stored. A byte count that is not a whole number of readings gives a fraction
    // rather than pretending to a whole reading.
    double readings = 0;
    // nullopt for a unit letter the program does not know.
    std::optional<Interval> interval;

    static LoggerDetails fromReply(const ParamReply &reply);

    // The value texts of the details panel, without the prefix the labels put before them.
    // The model's name and the interval are empty where the reply says nothing they can show.
    QString modelName() const;
    QString statusText() const;
    QString readingsText() const;
    QString intervalText() const;
};

// The logger's clock as its parameter block gives it (Device Time).
struct ClockReading
{
    // Neither logging nor waiting for a delayed start: the logger shows no clock.
    bool stopped = true;
    // The time of day; invalid when stopped. Registers past their range carry into the next
    // unit, as a time built from hours, minutes and seconds does.
    QTime time;

    static ClockReading fromReply(const ParamReply &reply);

    // What Device Time shows: the time in the table's time text, or "Device is Stopped".
    QString text() const;
};

// Why a device command did not do what was asked.
struct DeviceError
{
    enum class Kind {
        InvalidPort,  // no usable port: nothing was sent
        NoValidReply, // no valid reply or acknowledgement: none, the wrong length, or refused
        NotEnabled,   // the logger has never been given its serial number
        LinkLost,     // the line dropped while the command waited; the port reports that itself
    };

    Kind kind = Kind::NoValidReply;
    // What the window tells the user about it. Empty for a lost line, which the port's own
    // notice reports, except in the start sequence, which says at which step it stopped.
    QString message{};
    // Why, as far as the program knows: what the last poll brought, or for a lost line the
    // system's reason. May be empty.
    QString reason{};

    bool operator==(const DeviceError &) const = default;
};
