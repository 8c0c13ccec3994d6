// Small record sets and reports shared by the report engine's tests.
#pragma once

#include "data/RecordSet.h"
#include "report/Report.h"

#include <QStringList>
#include <QVector>

#include <memory>

namespace lbl::report::test {

/// An open record set with the given text fields and rows.
inline std::unique_ptr<data::RecordSet> makeSet(const QString& name, const QStringList& fields,
                                                const QVector<QStringList>& rows)
{
    auto set = std::make_unique<data::RecordSet>(name);
    for (const QString& field : fields) {
        data::FieldDef def;
        def.name = field;
        set->addFieldDef(def);
    }
    set->createDataSet();
    for (const QStringList& row : rows) {
        set->append();
        for (qsizetype k = 0; k < row.size(); ++k) {
            set->setField(k, row.at(k));
        }
    }
    set->first();
    return set;
}

/// Rows of one field, "R1", "R2", ...
inline QVector<QStringList> numberedRows(int count)
{
    QVector<QStringList> rows;
    for (int i = 1; i <= count; ++i) {
        rows.append(QStringList{QStringLiteral("R%1").arg(i)});
    }
    return rows;
}

inline ReportObject textObject(const QString& name, const QRectF& boxMm, const QString& text)
{
    TextObject t;
    t.text = text;
    return {name, boxMm, t};
}

} // namespace lbl::report::test
