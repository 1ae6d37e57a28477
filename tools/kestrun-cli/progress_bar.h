#pragma once

#include <QString>

// A one-line progress bar on standard error, redrawn in place:
//   Reading . . . [##############----------------]  47%  about 1 min 10 s left
// It draws only when standard error is a terminal, so logs and cron mail get nothing but the
// outcome.
class ProgressBar
{
public:
    explicit ProgressBar(bool enabled);
    ~ProgressBar();

    void show(const QString &caption);
    // value of 0..maximum
    void setValue(int value, int maximum);
    // The text after the percentage (the time left); empty for none.
    void setNote(const QString &note);
    // Ends the line, if one was drawn.
    void finish();

    // The line for a value (no carriage return); public for tests.
    static QString line(const QString &caption, int value, int maximum, int width = 30,
                        const QString &note = QString());

private:
    void draw();

    bool m_enabled;
    bool m_drawn = false;
    QString m_caption;
    int m_value = 0;
    int m_maximum = 100;
    QString m_note;
};
