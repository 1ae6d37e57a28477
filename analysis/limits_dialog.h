#pragma once

#include "analysis/limits.h"

#include <QDialog>

#include <array>

class LimitsStore;
class Prompter;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The Limits dialog: the limits of the logger shown (by its serial number) or the default for
// every logger, temperatures entered and shown in the table's current unit. OK checks what was
// typed; anything wrong is said through the Prompter and nothing is stored.
class LimitsDialog : public QDialog
{
    Q_OBJECT
public:
    // `serial` empty: no logger is shown, only the default can be edited.
    LimitsDialog(LimitsStore &store, const QString &serial, bool fahrenheit, Prompter &prompter,
                 QWidget *parent = nullptr);

    QLineEdit *highEdit(analysis::Quantity q) const { return m_high[size_t(index(q))]; }
    QLineEdit *lowEdit(analysis::Quantity q) const { return m_low[size_t(index(q))]; }
    QLineEdit *delayEdit() const { return m_delay; }
    QRadioButton *singleButton() const { return m_single; }
    QRadioButton *cumulativeButton() const { return m_cumulative; }
    QRadioButton *loggerButton() const { return m_logger; }
    QRadioButton *defaultButton() const { return m_default; }
    QPushButton *okButton() const { return m_ok; }

public Q_SLOTS:
    // Checks and stores; the dialog closes only when the limits were stored.
    void accept() override;

private:
    void build();
    // Fills the fields with the limits of the scope chosen.
    void showLimits();
    analysis::LimitTexts typed() const;

    LimitsStore &m_store;
    const QString m_serial;
    const bool m_fahrenheit;
    Prompter &m_prompter;

    std::array<QLineEdit *, analysis::kQuantityCount> m_high{};
    std::array<QLineEdit *, analysis::kQuantityCount> m_low{};
    QLineEdit *m_delay = nullptr;
    QRadioButton *m_single = nullptr;
    QRadioButton *m_cumulative = nullptr;
    QRadioButton *m_logger = nullptr;
    QRadioButton *m_default = nullptr;
    QPushButton *m_ok = nullptr;
};
