#pragma once

#include <QString>

#include <cstdint>

// Whose readings these are: the logger's serial number, its identification bytes and its
// location, as data. Downloads and live runs take it from the logger's own bytes; a row file
// keeps only the captions it was saved with, and its identity is read from them once, as the
// file is read. Everything that needs the serial number (the limits kept for a logger, the
// archive, the summary) asks for it here, never in a caption.
struct LoggerIdentity
{
    QString serial;   // the serial number as it is written: "0045"; empty when none is known
    QString idBytes;  // the identification bytes as they are written: "06 05 13"
    QString location; // the location text, without the blanks that pad it to 16 characters

    // From the logger's bytes: the serial number, the three identification bytes (day, month,
    // year - 2000) and the 16 location characters.
    static LoggerIdentity fromLogger(int serial, const std::uint8_t id[3], const QString &location);
    // From the two captions a row file keeps (":     0045 06 05 13", ":    COLD ROOM 2").
    static LoggerIdentity fromCaptions(const QString &serialCaption, const QString &locationCaption);

    // "0045 06 05 13": the value the serial-number caption shows.
    QString serialText() const;
    // The serial number as a number; -1 when there is none.
    int serialNumber() const;

    bool operator==(const LoggerIdentity &) const = default;
};
