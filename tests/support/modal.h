#pragma once
// Acting inside a modal window: exec() blocks the test, so the steps run from a timer once
// the window of the expected type is the active modal one (and ready, when asked).
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

template <class W> void whenModal(std::function<void(W*)> step, std::function<bool(W*)> ready = {}, int triesLeft = 500)
{
    QTimer::singleShot(10, [=] {
        auto* w = dynamic_cast<W*>(QApplication::activeModalWidget());
        if (w && (!ready || ready(w))) {
            step(w);
            return;
        }
        if (triesLeft > 0) {
            whenModal<W>(step, ready, triesLeft - 1);
            return;
        }
        ADD_FAILURE() << "the expected modal window never became ready";
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            d->done(QDialog::Rejected);
    });
}
