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

void ProgressBar::finish()
{
    if (m_drawn)
        console::err("\n");
    m_drawn = false;
    m_caption.clear();
}

QString ProgressBar::line(const QString &caption, int value, int maximum, int width)
{
    const int max = std::max(1, maximum);
    const int v = std::clamp(value, 0, max);
    const int filled = int(qint64(width) * v / max);
    return QStringLiteral("%1 [%2%3] %4%")
        .arg(caption, QString(filled, QLatin1Char('#')),
             QString(width - filled, QLatin1Char('-')))
        .arg(int(qint64(100) * v / max), 3);
}

void ProgressBar::draw()
{
    if (!m_enabled)
        return;
    console::err('\r' + line(m_caption, m_value, m_maximum).toUtf8());
    m_drawn = true;
}
