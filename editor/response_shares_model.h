// ResponseSharesModel: the monthly shares of one unit response table of a
// model input document as a Qt table model: a row per month, its share
// (edited, one undo step each) and the cumulative share up to it (computed
// as it is shown).
#pragma once

#include <QAbstractTableModel>
#include <QPointer>

#include <string>

namespace vek {

class CVEKViewDoc;
struct UnitResponseTable;

class ResponseSharesModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Share, Cumulative };

    explicit ResponseSharesModel(CVEKViewDoc *doc, QObject *parent = nullptr);

    // The table shown (empty: none); read again.
    void showTable(const std::string &name);
    const std::string &tableName() const { return name_; }
    // The table's months changed: read everything again.
    void reload();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A share as typed (empty is 0).
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

  signals:
    // A share reached the document.
    void edited(int row);

  private:
    const UnitResponseTable *table() const;

    QPointer<CVEKViewDoc> doc_;
    std::string name_;
    int rows_ = 0;
};

} // namespace vek
