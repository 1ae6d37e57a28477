#pragma once

// Shared by the fault-injection tests: what the window shows (to prove a fault lost none of
// it) and a saved file of a simulated logger's readings to show before the fault strikes.

#include "run/run_document.h"
#include "tests/support/e2e_fixture.h"
#include "tests/view/table_cells.h"

#include "acquisition/image_loader.h"
#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "datafile/set_io.h"
#include "device/command_frame.h"
#include "view/frm_data.h"

#include <QFile>

namespace e2e {

// Everything of the data window a fault must leave alone.
struct Shown
{
    QList<QStringList> cells;
    QList<QList<bool>> red;
    QString serial, location, caption;
    int model = 0;
    int dataType = 0;

    static Shown of(FrmMain &main)
    {
        Shown s;
        FrmData *d = main.data();
        const ReadingsTable &t = d->table();
        tablecells::copy(t, &s.cells, &s.red);
        s.serial = d->serialCaption();
        s.location = d->locationCaption();
        s.caption = d->caption();
        s.model = d->MODEL;
        s.dataType = int(main.document().origin());
        return s;
    }
    bool operator==(const Shown &) const = default;
};

// The image file the program saves after downloading a simulated logger of `model` holding
// `readings` readings; written to `path`. True when written.
inline bool writeSavedSet(const QString &path, int model, int readings)
{
    loggersim::LoggerCore core;
    core.state().model = quint8(model);
    core.state().serial = 512;
    core.state().setLocation("FREEZER 3");
    core.state().intervalUnit = 'M';
    core.state().intervalCount = 5;
    core.fillHistory(readings);
    ReadingSet set;
    imageload::showImage(set, core.handleFrame(frames::make('R', 'R')).reply, model);
    QString error;
    return setio::save(set, setio::kDownloaded, path, &error);
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace e2e
