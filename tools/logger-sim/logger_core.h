#pragma once

#include "tools/logger-sim/logger_state.h"
#include "tools/logger-sim/reading_source.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include <functional>

namespace loggersim {

// Misbehaviour to put on the line. Counts say how many times a fault strikes before the logger
// behaves again; a negative count means every time.
struct Faults
{
    int silentFrames = 0;          // frames lost: no reply, and the frame is not acted on
    int lengthDelta = 0;           // replies cut (< 0) or padded with zero bytes (> 0)
    int lengthDeltaReplies = -1;   // how many replies lengthDelta affects
    int badAcks = 0;               // acknowledgements with bytes 6..8 other than 1, 2, 3
    int badChecksumImages = 0;     // memory images whose checksum does not match
    int imagesWithoutEnd = 0;      // memory images whose last three bytes are not "END"
    int garbageReplies = 0;        // replies replaced by noise of the same length
    // Delivery of the memory image (acted on by the transmitter, not by LoggerCore).
    int imagePieceBytes = 0;       // > 0: send the image in pieces of this many bytes ...
    int imageGapMs = 0;            // ... with this pause before every piece but the first
    int hangUpAfterImageBytes = -1; // >= 0: drop the line after this many image bytes (once)

    // True when a fault with this count strikes now, consuming one strike.
    static bool strike(int &count);
};

enum class ReplyKind { None, Acknowledgement, Parameters, Image, Live };

// One frame the logger took off the line, and what it answers.
struct Exchange
{
    QByteArray frame; // the six bytes
    ReplyKind kind = ReplyKind::None;
    QByteArray reply; // empty when the logger stays silent
};

// The logger's behaviour without any I/O: frames in, replies out, and time passing. The
// simulator puts it on a pseudo-terminal; tests can also drive it directly.
class LoggerCore
{
public:
    LoggerCore();

    LoggerState &state() { return m_state; }
    const LoggerState &state() const { return m_state; }
    ReadingSource &readings() { return m_readings; }
    Faults &faults() { return m_faults; }

    // Called whenever the state changes (a frame acted on, a reading logged, a start fired).
    void setChangeHandler(std::function<void()> handler) { m_onChange = std::move(handler); }

    // Bytes as they come off the line. A frame is six bytes whose last is the exclusive-or of
    // the other five and whose first is a command letter; anything else is skipped one byte at
    // a time until a frame lines up again.
    QList<Exchange> receive(const QByteArray &bytes);
    // Forgets a partial frame (the line went quiet in the middle of one).
    void discardPartialFrame() { m_input.clear(); }
    qsizetype pendingInput() const { return m_input.size(); }
    int framesSeen() const { return m_framesSeen; }

    // Acts on one frame whose check byte has been verified.
    Exchange handleFrame(const QByteArray &frame);

    // Lets `seconds` of logger time pass: the clock runs, a delayed start fires, readings are
    // logged at the programmed interval.
    void advance(qint64 seconds);

    // Logging commands, also used by the frames.
    void startNow();
    void startAfter(int minutes);
    void stop();

    // Fills the memory with `count` readings whose newest is taken now (cut to what the memory
    // holds; filling it sets the memory-full flag).
    void fillHistory(int count);
    int readingCount() const;

    // Fault-free replies.
    QByteArray parameterBlock(const QByteArray &frame) const;
    QByteArray memoryImage(const QByteArray &frame);
    QByteArray liveReading(const QByteArray &frame);
    static QByteArray acknowledgement(const QByteArray &frame);

    // The 24-bit running sum over the reading bytes; `carried` tells whether the last addition
    // went past 24 bits (such an image cannot be checked by the receiver).
    static quint32 checksum(const QByteArray &data, bool *carried = nullptr);

private:
    void takeReading();
    // The words of the reading stored at `place`: `words`, or the failed-sensor words when the
    // state lists the place.
    QList<quint16> stored(int place, QList<quint16> words) const;
    void fireDue();
    bool logging() const;
    void changed();
    QByteArray applyReplyFaults(ReplyKind kind, QByteArray reply);

    LoggerState m_state;
    ReadingSource m_readings;
    Faults m_faults;
    QRandomGenerator m_noise{0x5eed};
    QByteArray m_input;
    int m_framesSeen = 0;
    std::function<void()> m_onChange;
};

} // namespace loggersim
