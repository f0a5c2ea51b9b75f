// The accounts of the audit window as a Qt table model: it hands the view
// the visible rows' cells as they are drawn and keeps nothing per row.
#pragma once

#include <QAbstractTableModel>

#include "audit/audit_window.h"

namespace tramsel {

class AccountTable final : public QAbstractTableModel {
    Q_OBJECT

public:
    AccountTable(const audit_window::Rows &rows, const audit_window::VisibleColumns &columns, const Locale &locale,
                 QObject *parent);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The rows or the columns changed: the view asks again.
    void reset();
    // The account column (over accountColumns()) shown in that section.
    std::size_t columnAt(int section) const { return shown_[static_cast<std::size_t>(section)]; }
    const std::vector<std::size_t> &shownColumns() const { return shown_; }

private:
    const audit_window::Rows &rows_;
    const audit_window::VisibleColumns &columns_;
    const Locale &locale_;
    std::vector<std::size_t> shown_;
};

} // namespace tramsel
