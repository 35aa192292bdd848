// Drives modal windows from a test: an action runs on the next modal window of a given kind.
#pragma once
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace host_test {

inline void CloseTopModal() {
    QWidget* w = QApplication::activeModalWidget();
    if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
    else if (w) w->close();
}

template <typename W>
void WhenModal(std::function<void(W*)> action, int timeoutMs = 10000) {
    auto* timer = new QTimer(qApp);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, action, timeoutMs] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        const bool open = w && w->isVisible();
        if (!open && !clock.hasExpired(timeoutMs)) return;
        timer->deleteLater();
        timer->stop();
        if (open) return action(w);
        ADD_FAILURE() << "the expected modal window did not open";
        CloseTopModal();
    });
    timer->start(10);
}

// Types the file's name into a save dialog and accepts it, as the operator would.
inline void ChooseFile(QFileDialog* d, const QString& path) {
    d->setDirectory(QFileInfo(path).absolutePath());
    auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QFileInfo(path).fileName());
    EXPECT_EQ(d->selectedFiles().value(0).toStdString(), path.toStdString());
    static_cast<QDialog*>(d)->accept();
}

// Saves what a print preview shows through its 保存为PDF command (the offered name checked when given).
template <typename Preview>
void SavePreview(Preview* d, const QString& path, const QString& offered = {}) {
    if (auto* save = d->template findChild<QAction*>(QStringLiteral("SavePdf"))) {
        WhenModal<QFileDialog>([path, offered](QFileDialog* f) {
            EXPECT_TRUE(offered.isEmpty() || f->selectedFiles().value(0) == offered) << f->selectedFiles().value(0).toStdString();
            ChooseFile(f, path);
        });
        save->trigger();
    } else {
        ADD_FAILURE() << "no 保存为PDF";
    }
    d->reject();
}

// The window lies within the available area of its screen.
inline bool OnScreen(const QWidget& w) { return w.screen() && w.screen()->availableGeometry().contains(w.frameGeometry()); }

// Closes and counts any modal window.
struct UnexpectedModalGuard {
    UnexpectedModalGuard() {
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] {
            if (QApplication::activeModalWidget()) ++seen, CloseTopModal();
        });
        timer.start(10);
    }
    int Seen() const { return seen; }
    QTimer timer;
    int seen = 0;
};

}  // namespace host_test
