#include "scan/CUpdateDiscDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "res/Skin.h"
#include "res/Texts.h"

CUpdateDiscDlg::CUpdateDiscDlg(const EntryStore& store, const scan::UpdatePlan& plan, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Update Disc"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ToQString(scan::PlanCounts(plan)), this));
    m_pLists = new QTabWidget(this);
    const auto timeText = [](std::int64_t seconds) { return FromQString(DateTimeText(seconds)); };
    for (const scan::DiffList& list : scan::DescribeDiff(store, plan, timeText)) {
        auto* lines = new QListWidget(m_pLists);
        // Many thousands of lines are common: uniform rows are laid out without measuring each.
        lines->setUniformItemSizes(true);
        for (const std::string& line : list.lines) lines->addItem(ToQString(line));
        m_pLists->addTab(lines, ToQString(list.title));
    }
    layout->addWidget(m_pLists);
    auto* buttons = new QDialogButtonBox(this);
    m_pApply = buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
    m_pCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_pApply->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    skin::ApplySkin(this);
    // Wide enough for all six tabs without scrolling them.
    resize(680, 400);
}
