#include "app/status_panels.h"

#include "common/clock.h"
#include "common/datetext.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

StatusPanels::StatusPanels(QStatusBar *bar) : QObject(bar)
{
    static const char *names[] = {"PanelText", "PanelIns", "PanelNum", "PanelCaps", "PanelDate",
                                  "PanelTime"};
    for (int i = 0; i < 6; ++i) {
        auto *l = new QLabel(bar);
        l->setObjectName(QLatin1String(names[i]));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAlignment(i == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        if (i == 0)
            bar->addWidget(l, 1);
        else
            bar->addPermanentWidget(l);
        m_panels[i] = l;
    }
    m_panels[1]->setText(QStringLiteral("INS"));
    m_panels[2]->setText(QStringLiteral("NUM"));
    m_panels[3]->setText(QStringLiteral("CAPS"));
    m_caps = ledOn("capslock", false);
    m_num = ledOn("numlock", false);
    qApp->installEventFilter(this);
    m_timer = new QTimer(this);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &StatusPanels::refresh);
    m_timer->start();
    refresh();
}

void StatusPanels::setText(const QString &text)
{
    m_panels[0]->setText(text);
    m_panels[0]->setToolTip(text);
}

void StatusPanels::setWidthsTwips(int first, int others)
{
    const QScreen *s = m_panels[0]->screen();
    const qreal dpi = s ? s->logicalDotsPerInch() : 96.0;
    auto px = [dpi](int twips) { return int(twips * dpi / 1440.0 + 0.5); };
    m_panels[0]->setMinimumWidth(px(first));
    // The date and time need room for a four-digit year and seconds: never narrower than the
    // set width, wider when the text needs it.
    for (int i = 1; i < 6; ++i)
        m_panels[i]->setMinimumWidth(px(others));
}

bool StatusPanels::ledOn(const char *name, bool fallback)
{
    // Linux exposes the keyboard LEDs; elsewhere the key presses seen are counted instead.
    const QDir leds(QStringLiteral("/sys/class/leds"));
    const QStringList entries =
        leds.entryList({QStringLiteral("*::%1").arg(QLatin1String(name))}, QDir::Dirs);
    for (const QString &e : entries) {
        QFile f(leds.filePath(e + QStringLiteral("/brightness")));
        if (f.open(QIODevice::ReadOnly))
            return f.readAll().trimmed() != "0";
    }
    return fallback;
}

void StatusPanels::refresh()
{
    const QDateTime now = Clock::current().now();
    m_panels[4]->setText(datetext::dateText(now.date()));
    m_panels[5]->setText(datetext::timeText(now.time()));
    m_caps = ledOn("capslock", m_caps);
    m_num = ledOn("numlock", m_num);
    m_panels[1]->setEnabled(m_insert);
    m_panels[2]->setEnabled(m_num);
    m_panels[3]->setEnabled(m_caps);
}

bool StatusPanels::eventFilter(QObject *watched, QEvent *event)
{
    // Key events reach the window once before they travel through the widgets.
    if (event->type() == QEvent::KeyPress && watched->isWindowType()) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if (!k->isAutoRepeat()) {
            switch (k->key()) {
            case Qt::Key_Insert: m_insert = !m_insert; break;
            case Qt::Key_CapsLock: m_caps = !m_caps; break;
            case Qt::Key_NumLock: m_num = !m_num; break;
            default: return false;
            }
            refresh();
        }
    }
    return false;
}
