#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "tests/ui/UiTestSupport.h"
#include "ui/ViewWidget.h"

namespace {

// Counts the times the widget tells it that the keyboard went elsewhere.
class FocusClient : public ui_test::RecordingClient {
  public:
    void FocusLost() override { ++focusLost; }
    int focusLost = 0;
};

struct WithQt {
    WithQt() { test_support::EnsureQtApplication(); }
};

// A view widget beside a line edit in one window, the widget holding the keyboard focus.
struct TwoFocusableWidgets : WithQt {
    TwoFocusableWidgets() {
        auto* layout = new QVBoxLayout(&window);
        view = new ui::ViewWidget(&window);
        edit = new QLineEdit(&window);
        layout->addWidget(view);
        layout->addWidget(edit);
        view->SetView(nullptr, &client);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        view->setFocus();
        QCoreApplication::processEvents();
    }
    QWidget window;
    ui::ViewWidget* view = nullptr;
    QLineEdit* edit = nullptr;
    FocusClient client;
};

TEST(ViewWidgetKeys, TabGoesToAClientThatTakesItBeforeQtMovesTheFocus) {
    TwoFocusableWidgets w;
    ASSERT_TRUE(w.view->hasFocus());
    QTest::keyClick(w.view, Qt::Key_Tab);
    QTest::keyClick(w.view, Qt::Key_Backtab);
    ASSERT_EQ(w.client.keys.size(), 2u);
    EXPECT_EQ(w.client.keys[0].key, Qt::Key_Tab);
    EXPECT_EQ(w.client.keys[1].key, Qt::Key_Backtab);
    EXPECT_TRUE(w.view->hasFocus()) << "the client took Tab: the focus stays";
    EXPECT_EQ(w.client.focusLost, 0);
    // A client that leaves Tab alone gets Qt's focus chain as before.
    w.client.takeKeys = false;
    QTest::keyClick(w.view, Qt::Key_Tab);
    EXPECT_TRUE(w.edit->hasFocus());
    EXPECT_EQ(w.client.focusLost, 1) << "the client hears that the keyboard went";
    EXPECT_EQ(w.client.keys.size(), 3u) << "a refused Tab is offered once";
}

TEST(ViewWidgetKeys, ARefusedTabWithNowhereToGoIsOfferedOnlyOnce) {
    WithQt qt;
    ui_test::RecordingClient client;
    client.takeKeys = false;
    ui::ViewWidget alone;
    alone.SetView(nullptr, &client);
    alone.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&alone));
    alone.setFocus();
    QTest::keyClick(&alone, Qt::Key_Tab);
    EXPECT_EQ(client.keys.size(), 1u);
}

}  // namespace
