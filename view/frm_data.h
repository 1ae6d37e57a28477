#pragma once

#include <QLabel>
#include <QWidget>

#include <array>
#include <memory>

class GraphController;
class GraphPanel;
class SummaryView;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QScrollBar;
class QTabWidget;
class QTableView;
class ReadingSet;
class ReadingsTable;

class RunDocument;

// The data window: the readings table on the "Table" tab, the graph on the "Graph" tab and the
// summary on the "Summary" tab, the serial-number and location labels, the axis labels and the progress display of a download.
// It mostly wires widgets to the core objects that hold the reading set and do the work.
//
// The window shows the run document's reading set as it changes: the table view sits on the
// set's table, and the serial-number, location and unit captions and the unit options follow
// the set's signals; the Summary tab, the table's tints and the graph's limit lines follow the
// document's one summary. The window owns none of them. Whoever fills the set (download, file,
// a test) goes through the document, and the window shows the result with no further call.
class FrmData : public QWidget
{
    Q_OBJECT
    // First members: the public aliases below bind to fields of the set and of the graph.
    std::unique_ptr<RunDocument> m_ownDoc; // only when made without a document
    RunDocument *m_doc = nullptr;
    ReadingSet *m_set = nullptr;
    GraphController *m_graph = nullptr;

public:
    // Shows `doc` (not owned); without one, a document of its own (tests).
    explicit FrmData(RunDocument *doc = nullptr, QWidget *parent = nullptr);
    ~FrmData() override;

    // Public fields other windows read and write (16-bit flags: -1 true, 0 false).
    // The graph's mode and marker radius (the main window's zoom commands set them).
    bool &zoomin;
    bool &zoomout;
    double &R;
    // The model code and the temperature unit live in the reading set; these are the same
    // fields under the window's names (readingSet().MODEL is frmData.MODEL).
    quint8 &MODEL;
    qint16 &Cels_Faren;

    RunDocument &document() { return *m_doc; }
    ReadingSet &readingSet() { return *m_set; }
    const ReadingSet &readingSet() const { return *m_set; }
    ReadingsTable &table();
    GraphController &graph() { return *m_graph; }
    QTableView *FGrid() const { return m_grid; }
    QWidget *PicGraph() const;
    QTabWidget *SSTab1() const { return m_tabs; }
    SummaryView *summaryView() const { return m_summary; }
    QScrollBar *HScroll1() const;
    QScrollBar *VScroll1() const;
    QRadioButton *OptCels() const { return m_optCels; }
    QRadioButton *Optfaren() const { return m_optFaren; }
    QRadioButton *Optcels1() const { return m_optCels1; }
    QRadioButton *OptFaren1() const { return m_optFaren1; }
    QLineEdit *Text1() const { return m_text1; }
    QLineEdit *Text2() const { return m_text2; }

    // The download's progress display: the caption label ("Reading . . ."), the bar and the
    // time left beside it.
    QLabel *progressLabel() const { return m_progressLabel; }
    QProgressBar *progressBar() const { return m_progressBar; }
    QLabel *timeLeftLabel() const { return m_timeLeftLabel; }
    void showProgress(bool visible);

    // Axis labels by their number (Label2 ... Label37); nullptr for numbers without a label.
    QLabel *label(int number) const;

    // Serial-number and location captions, set on both tabs' labels at once.
    void setSerialCaption(const QString &text);
    void setLocationCaption(const QString &text);
    QString serialCaption() const;
    QString locationCaption() const;
    void setHeaderLabelsVisible(bool visible);

    // Lays out the table for MODEL (columns, headings, unit options); see ReadingSet.
    void Format_Grid();
    // Sets the unit captions Label36/Label37 from MODEL and Cels_Faren.
    void Put_Unit();

    // Redraws the graph and the axis labels from the table.
    void DRAW_GRAPH();
    // Clears the plot area and every axis label (not the unit captions, read-outs or table).
    void Clear_screen();
    // The graph's view back to the full extent: no zoom, scroll bars at 0, default pointer.
    void resetView();
    // Activation of the window (and its load): the zoom modes end and the pointer is the
    // default again; the view shown stays.
    void activated();

    // The temperature unit of the table and the graph (both option buttons of a unit).
    void switchToCelsius();
    void switchToFahrenheit();

    // The window title shown in the frame (empty, a file name, " - " + file name).
    void setCaption(const QString &caption);
    QString caption() const;

Q_SIGNALS:
    void captionChanged(const QString &caption);

private:
    void buildTableTab(QWidget *tab);
    void buildGraphTab(QWidget *tab);
    void connectReadingSet();
    void applyInitialColumnWidths();
    void setUnitOptionsVisible(bool visible);
    void showView();
    void showReadouts();
    void tabChanged(int index);
    void copyUnitOption(QRadioButton *from, QRadioButton *to);
    // The table's tints and the graph's limit lines from the limits the summary applied.
    void showLimits();
    void showTitle(const QString &title);

    SummaryView *m_summary = nullptr;
    QTabWidget *m_tabs = nullptr;
    QTableView *m_grid = nullptr;
    GraphPanel *m_panel = nullptr;
    int m_tab = 1;
    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QRadioButton *m_optCels = nullptr, *m_optFaren = nullptr;
    QRadioButton *m_optCels1 = nullptr, *m_optFaren1 = nullptr;
    std::array<QLabel *, 2> m_serial{};
    std::array<QLabel *, 2> m_location{};
    std::array<QLabel *, 2> m_serialCap{};
    std::array<QLabel *, 2> m_locationCap{};
    QLabel *m_progressLabel = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QLabel *m_timeLeftLabel = nullptr;
};
