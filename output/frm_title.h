#pragma once

#include "output/print_inputs.h"
#include "output/print_range.h"

#include <QDialog>

#include <functional>
#include <memory>

class Prompter;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class ReadingSet;

// The Print Options dialog: a title for the printout and which readings to print (all, the
// rows in the table's view, or a date and time range). OK prints on the printer chosen before
// the dialog opened and closes the dialog. The date and time rules live in PrintRange; this
// window shows that state and reports the user's actions to it.
class FrmTitle : public QDialog
{
    Q_OBJECT
public:
    // `graph`: the dialog prints the graph (no "Active Sheet") rather than the listing.
    // `topRow` tells, when OK is clicked, which table row is at the top of the table's view.
    FrmTitle(const ReadingSet &set, bool graph, std::unique_ptr<QPrinter> printer,
             Prompter &prompter, std::function<int()> topRow, QWidget *parent = nullptr);
    ~FrmTitle() override;

    bool printsGraph() const { return m_graph; }
    // Switches the dialog to the print command given last: its caption, "Active Sheet" (the
    // listing's only; a graph prints all readings in its place) and what OK prints.
    void setPrintsGraph(bool graph);
    QPrinter &printer() { return *m_printer; }
    PrintRange &range() { return m_range; }
    // What OK would print now.
    printout::PrintInputs inputs() const;

    QLabel *Label1() const { return m_label1; }
    QLineEdit *Text1() const { return m_text1; }
    QRadioButton *opt_All() const { return m_optAll; }
    QRadioButton *opt_CData() const { return m_optCData; }
    QRadioButton *opt_SRange() const { return m_optSRange; }
    QDateEdit *R_date1() const { return m_date1; }
    QDateEdit *R_date2() const { return m_date2; }
    QComboBox *R_time1() const { return m_time1; }
    QComboBox *R_time2() const { return m_time2; }
    QPushButton *cmdOK() const { return m_ok; }

public Q_SLOTS:
    // Prints and closes; an invalid time bound is reported and the dialog stays open.
    void cmdOK_Click();

Q_SIGNALS:
    // After OK has run a printout (whatever its outcome).
    void printed(printout::PrintResult result);

private:
    void build();
    void connectControls();
    // Shows the range's state in the pickers and lists. Code-made changes of the controls
    // raise their notifications too; Form_Ready is false meanwhile, so they are ignored.
    void showRange();
    void enableRange();

    const ReadingSet &m_set;
    bool m_graph = false;
    std::unique_ptr<QPrinter> m_printer;
    Prompter &m_prompter;
    std::function<int()> m_topRow;
    PrintRange m_range;

    QLabel *m_label1 = nullptr;
    QLineEdit *m_text1 = nullptr;
    QRadioButton *m_optAll = nullptr;
    QRadioButton *m_optCData = nullptr;
    QRadioButton *m_optSRange = nullptr;
    QDateEdit *m_date1 = nullptr;
    QDateEdit *m_date2 = nullptr;
    QComboBox *m_time1 = nullptr;
    QComboBox *m_time2 = nullptr;
    QPushButton *m_ok = nullptr;
};

namespace printout {

// The print commands: with no reading, "No data to print"; while a Print Options dialog of
// `owner` is open, that dialog comes to the front switched to this command (its title and
// range kept); otherwise the platform's printer dialog,
// then a new Print Options dialog, not modal, one of the program's forms. Returns the dialog
// shown, or nullptr when none is (no data, printer dialog cancelled or failed).
FrmTitle *Print_Options(QWidget *owner, Prompter &prompter, const ReadingSet &set, bool graph,
                        std::function<int()> topRow);

} // namespace printout
