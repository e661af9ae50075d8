#pragma once
// What the tools that take pictures of the program share: the main window with one of its
// menus open, and the temporary home of a walk shown as an engineer's own folder.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <functional>
#include <utility>
#include <vector>

namespace nivex::pictures {

inline void settle() {
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

// The window with the menu of one of its top entries open, as the user sees it when he
// clicks the entry.
inline QPixmap withMenuOpen(QMainWindow& window, QAction* entry) {
    QMenu* menu = entry ? entry->menu() : nullptr;
    if (!menu) return window.grab();
    QMenuBar* bar = window.menuBar();
    bar->setActiveAction(entry);
    settle();
    QPixmap shot = window.grab();
    if (menu->isVisible()) {
        QPainter painter(&shot);
        painter.drawPixmap(window.mapFromGlobal(menu->pos()), menu->grab());
    }
    menu->hide();
    bar->setActiveAction(nullptr);
    settle();
    return shot;
}

// The picture `take` makes while the fields and labels of `shown` read `to` where they
// read `from` (the walk's temporary home as /home/ingeniero); their texts are put back.
inline QPixmap withPathShownAs(QWidget& shown, const QString& from, const QString& to,
                               const std::function<QPixmap()>& take) {
    std::vector<std::pair<QLineEdit*, QString>> edits;
    std::vector<std::pair<QLabel*, QString>> labels;
    auto edited = [&shown, &from, &to, &edits, &labels] {
        QList<QLineEdit*> allEdits = shown.findChildren<QLineEdit*>();
        if (auto* self = qobject_cast<QLineEdit*>(&shown)) allEdits << self;
        for (QLineEdit* e : allEdits)
            if (e->text().contains(from)) {
                edits.emplace_back(e, e->text());
                const QSignalBlocker quiet(e);
                e->setText(QString(e->text()).replace(from, to));
                e->setCursorPosition(0);
            }
        for (QLabel* l : shown.findChildren<QLabel*>())
            if (l->text().contains(from)) {
                labels.emplace_back(l, l->text());
                l->setText(QString(l->text()).replace(from, to));
            }
    };
    edited();
    QPixmap shot = take();
    for (auto& [e, text] : edits) {
        const QSignalBlocker quiet(e);
        e->setText(text);
    }
    for (auto& [l, text] : labels)
        l->setText(text);
    return shot;
}

}  // namespace nivex::pictures
