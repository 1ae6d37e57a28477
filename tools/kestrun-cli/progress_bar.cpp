#include "tools/kestrun-cli/progress_bar.h"

#include "tools/kestrun-cli/console.h"

#include <algorithm>

ProgressBar::ProgressBar(bool enabled) : m_enabled(enabled) {}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::show(const QString &caption)
{
    m_caption = caption;
    draw();
}

void ProgressBar::setValue(int value, int maximum)
{
    m_value = value;
    m_maximum = maximum;
    if (!m_caption.isEmpty())
        draw();
}

void ProgressBar::setNote(const QString &note)
{
    if (note == m_note)
        return;
    m_note = note;
    if (!m_caption.isEmpty())
        draw();
}

void ProgressBar::finish()
{
    if (m_drawn)
        console::err("\n");
    m_drawn = false;
    m_caption.clear();
}

QString ProgressBar::line(const QString &caption, int value, int maximum, int width,
                          const QString &note)
{
    const int max = std::max(1, maximum);
    const int v = std::clamp(value, 0, max);
    const int filled = int(qint64(width) * v / max);
    return QStringLiteral("%1 [%2%3] %4%")
        .arg(caption, QString(filled, QLatin1Char('#')),
             QString(width - filled, QLatin1Char('-')))
        .arg(int(qint64(100) * v / max), 3) +
           (note.isEmpty() ? QString() : QStringLiteral("  ") + note);
}

void ProgressBar::draw()
{
    if (!m_enabled)
        return;
    // Erased to the end of the line: a shorter note must not leave the end of a longer one.
    console::err('\r' + line(m_caption, m_value, m_maximum, 30, m_note).toUtf8() + "\x1b[K");
    m_drawn = true;
}
