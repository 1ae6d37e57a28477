#include "tools/logger-sim/logger_core.h"

#include <algorithm>

namespace loggersim {

namespace {

quint8 bcd(int v)
{
    v = std::clamp(v, 0, 99);
    return quint8(((v / 10) << 4) | (v % 10));
}

quint8 byteAt(const QByteArray &b, int i) { return quint8(b.at(i)); }

bool isCommandLetter(quint8 c)
{
    switch (c) {
    case 'R': case 'A': case 'Y': case 'X': case 'S': case 'E': case 'F': case 'G': case 'H':
        return true;
    default:
        return false;
    }
}

bool checkByteOk(const char *f)
{
    return quint8(f[0] ^ f[1] ^ f[2] ^ f[3] ^ f[4]) == quint8(f[5]);
}

constexpr quint32 kMask = 0xFFFFFF;

} // namespace

bool Faults::strike(int &count)
{
    if (count < 0)
        return true;
    if (count == 0)
        return false;
    --count;
    return true;
}

LoggerCore::LoggerCore()
{
    m_state.clock = RtcTime::fromDateTime(QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC));
}

void LoggerCore::changed()
{
    if (m_onChange)
        m_onChange();
}

QList<Exchange> LoggerCore::receive(const QByteArray &bytes)
{
    m_input.append(bytes);
    QList<Exchange> out;
    qsizetype pos = 0;
    while (m_input.size() - pos >= 6) {
        const char *f = m_input.constData() + pos;
        if (isCommandLetter(quint8(f[0])) && checkByteOk(f)) {
            out.append(handleFrame(QByteArray(f, 6)));
            pos += 6;
        } else {
            ++pos;
        }
    }
    m_input.remove(0, pos);
    return out;
}

Exchange LoggerCore::handleFrame(const QByteArray &frame)
{
    Exchange ex;
    ex.frame = frame;
    ++m_framesSeen;
    if (Faults::strike(m_faults.silentFrames))
        return ex;

    const quint8 c0 = byteAt(frame, 0), c1 = byteAt(frame, 1), p2 = byteAt(frame, 2),
                 p3 = byteAt(frame, 3), p4 = byteAt(frame, 4);
    bool ack = true;
    switch (c0) {
    case 'R':
        ack = false;
        // Only the second letter matters: the program reuses its frame buffer and may leave
        // anything in the parameter bytes.
        if (c1 == 'P') {
            ex.kind = ReplyKind::Parameters;
            ex.reply = parameterBlock(frame);
        } else if (c1 == 'R') {
            ex.kind = ReplyKind::Image;
            ex.reply = memoryImage(frame);
        } else if (c1 == 'T') {
            ex.kind = ReplyKind::Live;
            ex.reply = liveReading(frame);
        }
        break;
    case 'A':
        if (c1 == 'T')
            stop();
        else if (c1 == 'S')
            startNow();
        else if (c1 == 'L')
            startAfter(p2 * 256 + p3);
        else
            ack = false;
        break;
    case 'Y':
        m_state.idBytes = {c1, p2, p3};
        break;
    case 'X':
        m_state.serial = quint16(c1 << 8 | p2);
        break;
    case 'S': {
        const int v = p3 * 10 + p2; // units first, then tens
        RtcTime &clk = m_state.clock;
        switch (c1) {
        case 'S': clk.second = v; break;
        case 'M': clk.minute = v; break;
        case 'H': clk.hour = v; break;
        case 'D': clk.day = v; break;
        case 'N': clk.month = v; break;
        case 'Y': clk.year = 2000 + p3 * 4 + p2; break;
        case 'T':
            m_state.intervalUnit = char(p2);
            m_state.intervalCount = p4 * 10 + p3;
            if (logging())
                m_state.secondsToNextReading =
                    std::min(m_state.secondsToNextReading, m_state.intervalSeconds());
            break;
        default: ack = false; break;
        }
        break;
    }
    case 'E': case 'F': case 'G': case 'H': {
        const int at = (c0 - 'E') * 4;
        for (int i = 0; i < 4; ++i)
            m_state.location[at + i] = frame.at(1 + i);
        break;
    }
    default:
        ack = false;
        break;
    }
    if (ack) {
        ex.kind = ReplyKind::Acknowledgement;
        ex.reply = acknowledgement(frame);
        changed();
    }
    if (!ex.reply.isEmpty())
        ex.reply = applyReplyFaults(ex.kind, ex.reply);
    return ex;
}

QByteArray LoggerCore::applyReplyFaults(ReplyKind kind, QByteArray reply)
{
    if (kind == ReplyKind::Acknowledgement && Faults::strike(m_faults.badAcks)) {
        reply[6] = 3;
        reply[7] = 2;
        reply[8] = 1;
    }
    if (Faults::strike(m_faults.garbageReplies)) {
        for (auto &b : reply)
            b = char(m_noise.bounded(256));
        // Noise must never pass for an acknowledgement or a complete image by chance.
        if (reply.size() >= 9 && reply.mid(6, 3) == QByteArray("\x01\x02\x03", 3))
            reply[8] = 0x7F;
        if (reply.endsWith("END"))
            reply[reply.size() - 1] = '?';
    }
    if (m_faults.lengthDelta != 0 && Faults::strike(m_faults.lengthDeltaReplies)) {
        if (m_faults.lengthDelta < 0)
            reply.chop(std::min<qsizetype>(-m_faults.lengthDelta, reply.size()));
        else
            reply.append(QByteArray(m_faults.lengthDelta, '\0'));
    }
    return reply;
}

QByteArray LoggerCore::acknowledgement(const QByteArray &frame)
{
    // The logger echoes the command, then confirms with 1, 2, 3.
    return frame.left(6) + QByteArray("\x01\x02\x03", 3);
}

QByteArray LoggerCore::parameterBlock(const QByteArray &frame) const
{
    QByteArray p(40, '\0');
    p.replace(0, 6, frame.left(6));
    const LoggerState &s = m_state;
    p[6] = char((s.memoryFull ? 1 : 0) | (s.started ? 2 : 0) | (s.waiting ? 4 : 0));
    p[7] = s.intervalUnit;
    p[8] = char(s.intervalCount / 10);
    p[9] = char(s.intervalCount % 10);
    const QTime now = s.clock.toDateTime().time();
    p[10] = char(bcd(now.second()));
    p[12] = char(bcd(now.minute()));
    p[14] = char(bcd(now.hour()));
    const int stored = s.storedBytes();
    p[16] = char(stored & 0xFF);
    p[17] = char(stored >> 8);
    p[18] = char(s.model);
    for (int i = 0; i < 3; ++i)
        p[19 + i] = char(s.idBytes[size_t(i)]);
    p[22] = char(s.serial >> 8);
    p[23] = char(s.serial & 0xFF);
    p.replace(24, 16, s.location.left(16));
    return p;
}

quint32 LoggerCore::checksum(const QByteArray &data, bool *carried)
{
    quint32 s = 0;
    for (char c : data)
        s = ((s << 1) & kMask) + quint8(c);
    if (carried)
        *carried = s > kMask;
    return s & kMask;
}

QByteArray LoggerCore::memoryImage(const QByteArray &frame)
{
    LoggerState &s = m_state;
    if (s.words.size() > s.capacityWords())
        s.words.resize(s.capacityWords());

    QByteArray data;
    data.reserve(s.words.size() * 2);
    for (quint16 w : s.words) {
        data.append(char(w & 0xFF));
        data.append(char(w >> 8));
    }
    bool carried = false;
    quint32 sum = checksum(data, &carried);
    if (carried) {
        // The receiver keeps the sum in 24 bits and would refuse this image for ever. The
        // logger's converter noise is a count or two anyway, so the newest word's low byte is
        // moved by the smallest step that keeps the last addition inside 24 bits.
        const quint32 before = checksum(data.left(data.size() - 2));
        const quint8 lo = quint8(data.at(data.size() - 2));
        const quint8 hi = quint8(data.at(data.size() - 1));
        for (int d = 1; d < 256 && carried; ++d) {
            for (int cand : {lo - d, lo + d}) {
                if (cand < 0 || cand > 255)
                    continue;
                const quint32 mid = ((before << 1) & kMask) + quint32(cand);
                if (((mid << 1) & kMask) + hi <= kMask) {
                    data[data.size() - 2] = char(cand);
                    s.words.last() = quint16(hi << 8 | cand);
                    sum = checksum(data);
                    carried = false;
                    break;
                }
            }
        }
    }

    const QDateTime newest = s.newestReading.isValid() ? s.newestReading : s.clock.toDateTime();
    const int yy = std::clamp(newest.date().year() - 2000, 0, 99);
    QByteArray t(40, '\0');
    t[0] = char(sum & 0xFF);
    t[1] = char((sum >> 8) & 0xFF);
    t[2] = char((sum >> 16) & 0xFF);
    t[4] = s.intervalUnit;
    t[5] = char(s.intervalCount / 10);
    t[6] = char(s.intervalCount % 10);
    t[7] = char(bcd(newest.time().minute()));
    t[8] = char(bcd(newest.time().hour()));
    t[9] = char(bcd(newest.date().month()));
    t[10] = char(bcd(newest.date().day()) | ((yy % 4) << 6));
    t[14] = char(yy / 4);
    for (int i = 0; i < 3; ++i)
        t[16 + i] = char(s.idBytes[size_t(i)]);
    t[19] = char(s.serial >> 8);
    t[20] = char(s.serial & 0xFF);
    t.replace(21, 16, s.location.left(16));
    t.replace(37, 3, "END");

    if (Faults::strike(m_faults.badChecksumImages))
        t[0] = char(t[0] ^ 0xFF);
    if (Faults::strike(m_faults.imagesWithoutEnd))
        t.replace(37, 3, QByteArray(3, '\0'));

    return frame.left(6) + data + t;
}

QByteArray LoggerCore::liveReading(const QByteArray &frame)
{
    QByteArray r = frame.left(6);
    for (quint16 w : m_readings.reading(m_state.model, m_state.clock.toDateTime())) {
        r.append(char(w & 0xFF));
        r.append(char(w >> 8));
    }
    return r;
}

bool LoggerCore::logging() const
{
    return m_state.started && !m_state.memoryFull && m_state.intervalSeconds() > 0;
}

void LoggerCore::takeReading()
{
    LoggerState &s = m_state;
    const QDateTime now = s.clock.toDateTime();
    const QList<quint16> w = stored(int(s.words.size()) / model::wordsPerReading(s.model),
                                    m_readings.reading(s.model, now));
    if (s.words.size() + w.size() > s.capacityWords()) {
        s.memoryFull = true;
        return;
    }
    s.words.append(w);
    s.newestReading = now;
    if (s.words.size() + w.size() > s.capacityWords())
        s.memoryFull = true;
}

QList<quint16> LoggerCore::stored(int place, QList<quint16> words) const
{
    const QList<quint16> failed = ReadingSource::failedReading(m_state.model);
    if (!m_state.failedReadings.contains(place) || failed.size() != words.size())
        return words;
    return failed;
}

void LoggerCore::fireDue()
{
    LoggerState &s = m_state;
    if (s.waiting && s.secondsToStart <= 0) {
        s.waiting = false;
        s.started = true;
        s.secondsToNextReading = 0; // the first reading is taken at the start
        changed();
    }
    if (logging() && s.secondsToNextReading <= 0) {
        takeReading();
        s.secondsToNextReading += s.intervalSeconds();
        if (s.secondsToNextReading <= 0)
            s.secondsToNextReading = s.intervalSeconds();
        changed();
    }
}

void LoggerCore::advance(qint64 seconds)
{
    LoggerState &s = m_state;
    for (;;) {
        fireDue();
        if (seconds <= 0)
            return;
        qint64 step = seconds;
        if (s.waiting)
            step = std::min(step, s.secondsToStart);
        if (logging())
            step = std::min(step, s.secondsToNextReading);
        step = std::max<qint64>(step, 1);
        s.clock.advance(step);
        seconds -= step;
        if (s.waiting)
            s.secondsToStart -= step;
        if (logging())
            s.secondsToNextReading -= step;
    }
}

void LoggerCore::startNow()
{
    m_state.clearReadings();
    m_state.waiting = false;
    m_state.started = true;
    m_state.secondsToNextReading = 0;
    fireDue();
}

void LoggerCore::startAfter(int minutes)
{
    m_state.clearReadings();
    m_state.started = false;
    m_state.waiting = true;
    m_state.secondsToStart = qint64(minutes) * 60;
    fireDue();
}

void LoggerCore::stop()
{
    m_state.started = false;
    m_state.waiting = false;
}

void LoggerCore::fillHistory(int count)
{
    LoggerState &s = m_state;
    const int perReading = model::wordsPerReading(s.model);
    const int fits = s.capacityWords() / perReading;
    count = std::clamp(count, 0, fits);
    const qint64 interval = s.intervalSeconds() > 0 ? s.intervalSeconds() : 60;
    const QDateTime now = s.clock.toDateTime();
    s.words = m_readings.history(s.model, now, interval, count);
    for (int place : std::as_const(s.failedReadings)) {
        if (place >= count)
            continue;
        const QList<quint16> w = stored(place, s.words.mid(place * perReading, perReading));
        std::copy(w.cbegin(), w.cend(), s.words.begin() + place * perReading);
    }
    s.newestReading = count > 0 ? now : QDateTime();
    s.memoryFull = count == fits;
    s.secondsToNextReading = interval;
    changed();
}

int LoggerCore::readingCount() const
{
    return int(m_state.words.size()) / model::wordsPerReading(m_state.model);
}

} // namespace loggersim
