#pragma once

#include "WindowFixture.h"

#include "tests/support/Sanitizers.h"

#include <QPushButton>

#include <functional>
#include <string>
#include <vector>

namespace Quorvane {

using Items = std::vector<std::string>;

// A started window whose lists a test fills directly, with helpers to act while a command runs.
class OperationFixture : public WindowFixture
{
public:
    static void fill(ItemList &list, const Items &items);

protected:
    void SetUp() override;

    Form1 &window() { return *m_form; }
    void click(Button button) { window().pushButton(button)->click(); }
    // Shows the window and waits until it can take mouse and key events.
    void showWindow();
    // Enough distinct addresses that any operation on them works long enough to yield a few times.
    static constexpr std::size_t kLongWork = Testing::itemsForLongWork(2'000'000);
    // Fills list with count distinct addresses.
    static void fillLarge(ItemList &list, std::size_t count);
    // Clicks button and runs action once from inside the command, while it yields to the window.
    // Returns whether action ran while the command was running.
    bool clickAndActDuringIt(Button button, const std::function<void()> &action);

private:
    Form1 *m_form = nullptr;
};

} // namespace Quorvane
