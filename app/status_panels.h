#pragma once

#include <QObject>
#include <QString>

#include <array>

class QLabel;
class QStatusBar;
class QTimer;

// The six panels of the main window's status bar: a text panel, the insert, num-lock and
// caps-lock indicators, the date and the time, kept current once a second.
class StatusPanels : public QObject
{
    Q_OBJECT
public:
    explicit StatusPanels(QStatusBar *bar);

    QLabel *panel(int i) const { return m_panels.at(i); }
    void setText(const QString &text);
    // Panel widths in twips: the text panel, then each of the other five.
    void setWidthsTwips(int first, int others);
    // Reads the clock and the keyboard indicators again.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static bool ledOn(const char *name, bool fallback);

    std::array<QLabel *, 6> m_panels{};
    QTimer *m_timer = nullptr;
    bool m_insert = true;
    bool m_caps = false;
    bool m_num = false;
};
