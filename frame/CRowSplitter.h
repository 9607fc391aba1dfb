#pragma once

#include <QList>
#include <QSplitter>

// A splitter whose last row can be taken out of the layout and put back without destroying its widget.
class CRowSplitter : public QSplitter {
    Q_OBJECT
public:
    using QSplitter::QSplitter;

    // Sets the rows' sizes and remembers them as the ones to come back to if the last row is dropped
    // before the splitter is first shown.
    void SetRowSizes(const QList<int>& sizes);
    // Hides the last row's widget; the rows above take its space. Does nothing when already dropped.
    void DropLastRow();
    // Shows the last row's widget again, the rows above it at the sizes they had when it was dropped.
    // Does nothing when it is not dropped.
    void RestoreLastRow();

private:
    QList<int> m_savedSizes;
    bool m_bDropped = false;
};
