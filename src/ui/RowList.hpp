#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

class QVBoxLayout;

namespace drawlume {

class SelectionRow;

// The rows of the device or display list. An update that shows the same
// texts and choice leaves the rows alone; one that differs reuses the rows it
// has. While a row is held down nothing changes under the pointer: the update
// waits for the release, and the click acts on what was pressed.
class RowList final : public QWidget {
    Q_OBJECT

public:
    struct Row {
        QString text;
        bool selected = false;
        std::function<void()> choose;
    };

    // Rows are named prefix0, prefix1, ... for the tests.
    explicit RowList(QString namePrefix, QWidget* parent = nullptr);

    void setRows(std::vector<Row> rows);
    // How many row widgets were made so far.
    int rowsMade() const { return rowsMade_; }

private:
    void apply();
    bool anyRowDown() const;

    QString namePrefix_;
    QVBoxLayout* layout_;
    std::vector<SelectionRow*> widgets_;
    std::vector<Row> shown_;
    std::vector<Row> pending_;
    bool hasPending_ = false;
    int rowsMade_ = 0;
};

}  // namespace drawlume
