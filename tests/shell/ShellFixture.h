// A main window as the program starts it: constructed, created, optionally shown.
// Messages and failed checks are recorded instead of shown.
#pragma once

#include <QApplication>
#include <QWidget>

#include <memory>

#include <gtest/gtest.h>

#include "app/TFormMain.h"
#include "platform/ui/Messages.h"

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A quit that an earlier test's last closed window posted must not end
        // this test's message loop.
        QApplication::processEvents();
        observer = std::make_unique<MessageObserver>();
        form = std::make_unique<TFormMain>();
        form->FormCreate();
    }
    void TearDown() override {
        form.reset();
        observer.reset();
    }

    // The client area: what the menu bar leaves of the window.
    QWidget* Client() const { return form->centralWidget(); }

    // Gives the client area the size W x H through a real window resize.
    void ResizeClient(int W, int H) {
        form->showNormal();
        QApplication::processEvents();
        const int nMenu = form->height() - Client()->height();
        form->resize(W, H + nMenu);
        QApplication::processEvents();
    }

    std::unique_ptr<MessageObserver> observer;
    std::unique_ptr<TFormMain> form;
};
