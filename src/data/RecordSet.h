// In-memory record sets of text fields, and the data sources the report reads them through.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>
#include <stdexcept>

namespace lbl::data {

/// A refused record-set operation. what() is the program's exact message text.
class DataError : public std::runtime_error
{
public:
    explicit DataError(const QString& message);
};

enum class FieldType { Text };

struct FieldDef
{
    QString name;
    FieldType type = FieldType::Text;
    int size = 200; ///< characters
    bool required = false;
};

/// A table of text fields kept in memory, with a cursor.
///
/// Before createDataSet() the set is closed: reading its records throws DataError
/// "<name>: Missing data provider or data packet".
/// append() starts a new record at the end; a started record in which no field was set is dropped
/// when the next record is started or the cursor is moved to the first record.
class RecordSet
{
public:
    explicit RecordSet(QString name);

    const QString& name() const { return m_name; }

    /// Only while closed. Throws DataError "Duplicate name '%s' in TFieldDefs" (names compared
    /// without regard to case) or "<name>: Field name missing" for an empty name.
    void addFieldDef(const FieldDef& def);
    const QVector<FieldDef>& fieldDefs() const { return m_defs; }
    /// Index of a field by name, without regard to case.
    std::optional<qsizetype> fieldIndex(const QString& name) const;

    /// Opens the set, empty, with the current field definitions.
    void createDataSet();
    bool isActive() const { return m_active; }
    /// Throws DataError when the set is closed.
    void checkActive() const;

    /// Settled records; a started record counts once a field is set. Throws when closed.
    qsizetype recordCount() const;

    /// Starts a new record at the end and puts the cursor on it. Throws when closed.
    void append();
    /// Sets field k of the current record, cut to the field's size in characters (never inside a
    /// surrogate pair). An empty value leaves the field null but still counts as setting it.
    /// Throws when closed or when there is no current record.
    void setField(qsizetype k, const QString& value);

    /// Cursor moves; all throw when closed. first() settles a pending started record (so do next()
    /// and moveTo()). moveTo() clamps to [0, recordCount()].
    void first();
    void next();
    bool eof() const;
    qsizetype recNo() const { return m_cursor; } ///< 0-based; recordCount() when at eof
    void moveTo(qsizetype index);

    /// Text of field k of the current record; empty when unset or at eof. Throws when closed.
    QString fieldText(qsizetype k) const;
    bool isNull(qsizetype k) const;

private:
    void settlePending();

    QString m_name;
    QVector<FieldDef> m_defs;
    bool m_active = false;
    QVector<QString> m_values; ///< row-major, m_rows x fieldCount; null QString = unset
    qsizetype m_rows = 0;      ///< including a pending started record
    qsizetype m_cursor = 0;
    bool m_pending = false;    ///< the last row is a started record not yet settled
    bool m_pendingSet = false; ///< a field of the pending record was set
};

/// A named handle on a record set; what a report's data link points at.
class DataSource
{
public:
    explicit DataSource(RecordSet* set = nullptr)
        : m_set(set)
    {
    }
    RecordSet* dataSet() const { return m_set; }
    void setDataSet(RecordSet* set) { m_set = set; }

private:
    RecordSet* m_set;
};

} // namespace lbl::data
