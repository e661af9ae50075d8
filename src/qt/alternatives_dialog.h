#pragma once
// "Alternativas del Proyecto": the designed alternatives in a grid, one row each, from which
// the user picks the one to design.

#include <QDialog>
#include <functional>

#include "ui/alternatives_dialog.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace nivex::qt {

class TFormCostos : public QDialog {
    Q_OBJECT
  public:
    TFormCostos(const ui::AlternativesChoice& choice, std::function<void()> print, QWidget* parent);

    // The grid row under the selection, 1-based as the heading row is row 0.
    int selectedRow() const;

    QTableWidget* grid() const { return grid_; }
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* printButton() const { return print_; }

  private:
    void fill(const ui::AlternativesChoice& choice);
    void fitGrid();

    std::function<void()> printer_;
    QTableWidget* grid_;
    QPushButton* accept_;
    QPushButton* print_;
};

class QtAlternativesDialog : public ui::AlternativesDialog {
  public:
    explicit QtAlternativesDialog(QWidget* parent) : parent_(parent) {}
    int run(const ui::AlternativesChoice& choice, const std::function<void()>& print) override;

  private:
    QWidget* parent_;
};

}  // namespace nivex::qt
