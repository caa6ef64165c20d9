#include "ui/RowList.hpp"

#include <QVBoxLayout>
#include <algorithm>

#include "ui/SelectionRow.hpp"

namespace drawlume {

namespace {

bool sameLook(const std::vector<RowList::Row>& a, const std::vector<RowList::Row>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.text == y.text && x.selected == y.selected;
    });
}

}  // namespace

RowList::RowList(QString namePrefix, QWidget* parent)
    : QWidget(parent), namePrefix_(std::move(namePrefix)), layout_(new QVBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(2);
}

bool RowList::anyRowDown() const {
    return std::any_of(widgets_.begin(), widgets_.end(),
                       [](const SelectionRow* row) { return row->isDown(); });
}

void RowList::setRows(std::vector<Row> rows) {
    pending_ = std::move(rows);
    hasPending_ = true;
    if (!anyRowDown()) {
        apply();
    }
}

void RowList::apply() {
    if (!hasPending_) {
        return;
    }
    hasPending_ = false;
    const bool unchanged = sameLook(pending_, shown_);
    shown_ = std::move(pending_);
    pending_.clear();
    if (unchanged) {
        return;  // the choices may hold newer values; the rows look the same
    }
    while (widgets_.size() > shown_.size()) {
        delete widgets_.back();
        widgets_.pop_back();
    }
    for (size_t index = 0; index < shown_.size(); ++index) {
        const Row& row = shown_[index];
        if (index == widgets_.size()) {
            auto* widget = new SelectionRow(row.text, row.selected, this);
            widget->setObjectName(namePrefix_ + QString::number(index));
            connect(widget, &QPushButton::clicked, this, [this, index] {
                if (index < shown_.size() && shown_[index].choose) {
                    // A copy: choosing may update the rows.
                    const std::function<void()> choose = shown_[index].choose;
                    choose();
                }
            });
            // An update held back while the row was down waits for the click
            // to be handled first.
            connect(widget, &QPushButton::released, this, [this] {
                QMetaObject::invokeMethod(
                    this, [this] { apply(); }, Qt::QueuedConnection);
            });
            layout_->addWidget(widget);
            // Shown now rather than by the layout's queued show, so the height
            // fitted next counts it.
            widget->show();
            widgets_.push_back(widget);
            ++rowsMade_;
        } else {
            widgets_[index]->setText(row.text);
            widgets_[index]->setSelectedRow(row.selected);
        }
    }
}

}  // namespace drawlume
