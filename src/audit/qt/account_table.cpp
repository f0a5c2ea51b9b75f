// The audit window's table model.
#include "audit/qt/account_table.h"

namespace tramsel {

AccountTable::AccountTable(const audit_window::Rows &rows, const audit_window::VisibleColumns &columns,
                           const Locale &locale, QObject *parent)
    : QAbstractTableModel(parent), rows_(rows), columns_(columns), locale_(locale), shown_(columns.indices())
{
}

int AccountTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.shown());
}

int AccountTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

QVariant AccountTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= rows_.shown())
        return {};
    const std::size_t column = columnAt(index.column());
    if (role == Qt::DisplayRole)
        return QString::fromStdString(
            audit_window::cellText(rows_.shownRecord(static_cast<std::size_t>(index.row())), column, locale_));
    // Numbers line up at the right, as in the table output.
    if (role == Qt::TextAlignmentRole) {
        const ColumnKind kind = accountColumns()[column].kind;
        const bool number = kind == ColumnKind::Count || kind == ColumnKind::Days;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QVariant AccountTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || static_cast<std::size_t>(section) >= shown_.size())
        return {};
    const auto &column = accountColumns()[columnAt(section)];
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(column.key.data(), static_cast<qsizetype>(column.key.size()));
    if (role == Qt::ToolTipRole)
        return QString::fromUtf8(column.help.data(), static_cast<qsizetype>(column.help.size()));
    return {};
}

void AccountTable::reset()
{
    beginResetModel();
    shown_ = columns_.indices();
    endResetModel();
}

} // namespace tramsel
