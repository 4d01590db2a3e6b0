#include "WindowFixture.h"

#include "files/ListFile.h"
#include "ui/ItemListModel.h"
#include "ui/ListView.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>

#include <array>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>

namespace Quorvane {
namespace {

TEST(DecodeItemText, ValidUtf8IsDecodedAndAnythingElseIsTakenByteForByte)
{
    EXPECT_EQ(decodeItemText("someone@example.com"), "someone@example.com");
    EXPECT_EQ(decodeItemText(""), "");
    EXPECT_EQ(decodeItemText("caf\xC3\xA9"), QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_EQ(decodeItemText("\xF0\x9F\x93\xA7"), QString::fromUtf8("\xF0\x9F\x93\xA7"));
    EXPECT_EQ(decodeItemText("\xEF\xBB\xBFx"), QString(QChar(0xFEFF)) + "x");

    const std::string_view notUtf8[] = {
        "caf\xE9",         // a Latin-1 byte
        "\xC0\xAF",        // an overlong slash
        "\xED\xA0\x80",    // a surrogate
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xE2\x82",        // cut short
    };
    for (std::string_view bytes : notUtf8) {
        const QString text = decodeItemText(bytes);
        ASSERT_EQ(text.size(), static_cast<qsizetype>(bytes.size()));
        for (std::size_t i = 0; i < bytes.size(); ++i)
            EXPECT_EQ(text[i].unicode(), static_cast<unsigned char>(bytes[i]));
    }
}

TEST(ShownItemText, AGiantItemShowsItsStartCutAtACharacter)
{
    EXPECT_EQ(shownItemText("someone@example.com"), "someone@example.com");
    const std::string exact(4096, 'x');
    EXPECT_EQ(shownItemText(exact), QString::fromStdString(exact));

    // A two-byte character straddles the cut: it is left out whole, not shown as two Latin-1 bytes.
    const std::string giant = std::string(4095, 'g') + "\xC3\xA9" + std::string(8 << 20, 'h');
    const QString shown = shownItemText(giant);
    EXPECT_EQ(shown, QString(4095, 'g') + QChar(0x2026));

    const std::string latin1 = "caf\xE9" + std::string(5000, 'x');
    EXPECT_TRUE(shownItemText(latin1).startsWith(QString::fromLatin1("caf\xE9xxx")));
}

TEST(ItemListModel, FollowsTheListWithOneResetPerChange)
{
    ItemList list;
    ItemListModel model(list);
    model.addColumn("Email Addresses:");
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    list.appendList(Samples::numberedList(1000, "item"));
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(model.data(model.index(999, 0)).toString(), "item999");
    EXPECT_FALSE(model.data(model.index(5, 0), Qt::EditRole).isValid());

    list.removeAt(0);
    EXPECT_EQ(resets.count(), 2);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "item1");
    list.clear();
    EXPECT_EQ(resets.count(), 3);
    EXPECT_EQ(model.rowCount(), 0);
}

// A list longer than a view can hold shows its first rows, then one row that counts the rest;
// no count reaches Qt's int unchecked. A limit of 5 stands in for the real one.
TEST(ItemListModel, ShowsTheFirstRowsItCanHoldAndCountsTheRest)
{
    struct Case
    {
        std::size_t items;
        int rows;
        QString lastRow;
    };
    const std::vector<Case> cases = {
        {0, 0, {}},
        {4, 4, "item3"},
        {5, 5, "item4"},
        {6, 6, "... and 1 more item (6 in all)"},
        {12, 6, "... and 7 more items (12 in all)"},
    };
    for (const Case &expected : cases) {
        SCOPED_TRACE(expected.items);
        ItemList list = Samples::numberedList(expected.items, "item");
        ItemListModel model(list, 5);
        model.addColumn("Email Addresses:");
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
        EXPECT_EQ(model.rowCount(), expected.rows);
        if (expected.rows > 0) {
            EXPECT_EQ(model.data(model.index(expected.rows - 1, 0)).toString(), expected.lastRow);
        }
        EXPECT_EQ(model.itemAt(4), expected.items > 4 ? std::optional<std::size_t>(4) : std::nullopt);
        EXPECT_EQ(model.itemAt(5), std::nullopt);
        EXPECT_EQ(model.itemAt(-1), std::nullopt);
        EXPECT_EQ(model.rowOf(4), expected.items > 4 ? std::optional<int>(4) : std::nullopt);
        EXPECT_EQ(model.rowOf(5), std::nullopt);
    }
}

TEST(ItemListModel, RemovingFromAViewThatCannotHoldTheListNeverHitsAnotherItem)
{
    ItemList list = Samples::numberedList(8, "item");
    ItemListModel model(list, 5);
    model.addColumn("Email Addresses:");
    ListView view;
    view.setModel(&model);

    view.selectRow(5); // the row that counts the rest
    removeSelectedItems(view, model, list);
    EXPECT_EQ(list.count(), 8u);

    view.selectRow(4);
    removeSelectedItems(view, model, list);
    EXPECT_EQ(list.text(4), "item5");
    EXPECT_EQ(view.selectedRow(), std::optional<int>(4)) << "the item that moved up is selected";

    view.clearSelection();
    removeSelectedItems(view, model, list);
    EXPECT_EQ(list.count(), 7u);

    // Rows stay low enough that the longest list a view shows measures within an int.
    view.setRowHeight(40);
    EXPECT_EQ(view.verticalHeader()->defaultSectionSize(), kMaxRowPixels);
    view.setRowHeight(18);
    EXPECT_EQ(view.verticalHeader()->defaultSectionSize(), 18);
}

// Collects what Qt's model checker finds while it is installed, so each finding fails the test.
class ModelCheckerFindings
{
public:
    ModelCheckerFindings() { s_previous = qInstallMessageHandler(&ModelCheckerFindings::handle); }
    ~ModelCheckerFindings() { qInstallMessageHandler(s_previous); }
    ModelCheckerFindings(const ModelCheckerFindings &) = delete;
    ModelCheckerFindings &operator=(const ModelCheckerFindings &) = delete;

    static QStringList take() { return std::exchange(s_found, {}); }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (context.category && std::string_view(context.category) == "qt.modeltest")
            s_found.append(message);
        else
            s_previous(type, context, message);
    }

    static inline QtMessageHandler s_previous = nullptr;
    static inline QStringList s_found;
};

TEST(ItemListModel, KeepsQtsModelRulesThroughEveryKindOfListChange)
{
    struct Change
    {
        const char *name;
        std::function<void(ItemList &)> apply;
    };
    const std::array<Change, 7> changes{{
        {"append", [](ItemList &list) { list.append("appended@example.org"); }},
        {"appendList",
         [](ItemList &list) { list.appendList(Samples::numberedList(50, "more")); }},
        {"removeAt", [](ItemList &list) { list.removeAt(1); }},
        {"removeFlagged",
         [](ItemList &list) {
             const auto flags = std::make_unique<bool[]>(list.count());
             for (std::size_t i = 0; i < list.count(); i += 2)
                 flags[i] = true;
             list.removeFlagged({flags.get(), list.count()});
         }},
        {"keepOnly",
         [](ItemList &list) {
             const std::size_t kept[] = {0, 3, 4};
             list.keepOnly(kept);
         }},
        {"clear", [](ItemList &list) { list.clear(); }},
        {"clear again", [](ItemList &list) { list.clear(); }},
    }};

    ModelCheckerFindings findings;
    ItemList list = Samples::numberedList(10, "item");
    ItemListModel model(list);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.addColumn("Email Addresses:");
    EXPECT_EQ(ModelCheckerFindings::take(), QStringList()) << "addColumn";
    for (const Change &change : changes) {
        change.apply(list);
        EXPECT_EQ(ModelCheckerFindings::take(), QStringList()) << change.name;
        EXPECT_EQ(model.rowCount(), static_cast<int>(list.count())) << change.name;
    }
}

using BigListTest = WindowFixture;

// A million addresses go through the real load and save commands; the view must show and
// scroll them at once. The times are printed for the record.
TEST_F(BigListTest, MillionLinesLoadShowScrollAndSave)
{
    constexpr int kLines = 1000000;
    QByteArray bytes;
    bytes.reserve(kLines * 28);
    for (int i = 0; i < kLines; ++i)
        bytes += "user" + QByteArray::number(i) + "@example.org\r\n";
    const QString input = writeFile("million.txt", bytes);
    Form1 &window = startWindow();
    window.show();
    ListView *view = window.listView1();

    QElapsedTimer clock;
    clock.start();
    m_answers.openFiles.push_back({input});
    window.pushButton(Button::LoadFileToList1)->click();
    view->scrollToBottom();
    const QImage shown = view->grab().toImage();
    const qint64 loadMs = clock.elapsed();
    ASSERT_EQ(window.list1().count(), static_cast<std::size_t>(kLines));
    EXPECT_FALSE(shown.isNull());
    EXPECT_EQ(view->model()->data(view->model()->index(kLines - 1, 0)).toString(), "user999999@example.org");
    const QModelIndex last = view->model()->index(kLines - 1, 0);
    EXPECT_TRUE(view->viewport()->rect().contains(view->visualRect(last)))
        << view->visualRect(last).y() << " " << view->viewport()->height();

    clock.restart();
    for (int step = 0; step < 20; ++step) {
        view->scrollTo(view->model()->index(step * (kLines / 20), 0), QAbstractItemView::PositionAtTop);
        view->viewport()->repaint();
    }
    const qint64 scrollMs = clock.elapsed();
    EXPECT_EQ(view->rowAt(0), 19 * (kLines / 20));

    const QString output = programFolder() + "/saved.txt";
    clock.restart();
    m_answers.saveFiles.push_back(output);
    window.pushButton(Button::SaveList1ToFile)->click();
    const qint64 saveMs = clock.elapsed();
    EXPECT_EQ(readFile(output), bytes);
    EXPECT_TRUE(errorReports().empty());

    std::printf("1M lines: load and show %lld ms, 20 jumps with repaint %lld ms, save %lld ms\n",
                static_cast<long long>(loadMs), static_cast<long long>(scrollMs), static_cast<long long>(saveMs));
    // Far above what the window needs; only a per-line widget or copy would come near.
    EXPECT_LT(loadMs, 5000);
    EXPECT_LT(scrollMs, 2000);
    EXPECT_LT(saveMs, 5000);
}

TEST_F(BigListTest, StartUpTakesAMomentAndPrintsItsTime)
{
    QElapsedTimer clock;
    clock.start();
    Form1 &window = startWindow();
    window.show();
    const QImage first = window.grab().toImage();
    const qint64 startMs = clock.elapsed();
    EXPECT_EQ(first.size(), QSize(920, 525) * window.devicePixelRatio());
    std::printf("start-up to first paint: %lld ms\n", static_cast<long long>(startMs));
    EXPECT_LT(startMs, 2000);
}

} // namespace
} // namespace Quorvane
