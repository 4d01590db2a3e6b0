#include "OperationFixture.h"

#include <QTest>
#include <QTimer>

namespace Quorvane {

void OperationFixture::SetUp()
{
    WindowFixture::SetUp();
    m_form = &startWindow();
}

void OperationFixture::showWindow()
{
    window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
}

void OperationFixture::fill(ItemList &list, const Items &items)
{
    for (const std::string &item : items)
        list.append(item);
}

void OperationFixture::fillLarge(ItemList &list, std::size_t count)
{
    list.appendList(Samples::numberedList(count, "user", "@example.org"));
}

bool OperationFixture::clickAndActDuringIt(Button button, const std::function<void()> &action)
{
    bool ranDuringCommand = false;
    // A zero timer fires at the first moment the window handles events: inside the command's yield.
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ranDuringCommand = window().isCommandRunning();
        action();
    });
    timer.start(0);
    click(button);
    return ranDuringCommand;
}

} // namespace Quorvane
