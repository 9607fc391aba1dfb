#include "ListsTestSupport.h"

#include "lists/DetailListModel.h"

std::vector<std::string> ColumnTexts(const DetailListModel& model, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < model.rowCount(); ++row) texts.emplace_back(model.Text(row, column));
    return texts;
}

std::vector<std::string> Headings(const DetailListModel& model) {
    std::vector<std::string> headings;
    for (int c = 0; c < model.columnCount(); ++c)
        headings.push_back(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
    return headings;
}
