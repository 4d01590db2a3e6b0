#include "OperationFixture.h"

#include "ui/ListView.h"

#include <QCoreApplication>
#include <QFile>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <fstream>

namespace Quorvane {
namespace {

class FileDropTest : public OperationFixture
{
protected:
    // Delivers a drag's entry and its drop to the list view, as a file manager would.
    // Returns whether the view accepted the drag.
    static bool drop(ListView &view, QMimeData &data)
    {
        const QPoint point(20, 20);
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &dropped);
        return dropped.isAccepted();
    }

    static void setFiles(QMimeData &data, const std::vector<QString> &paths)
    {
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data.setUrls(urls);
    }
};

TEST_F(FileDropTest, DroppedFilesLoadInTheirOrderLikeTheLoadButton)
{
    window().list2().append("kept");
    const QString first = writeFile("a.txt", "a1\r\na2\r\n");
    const QString second = writeFile("b.txt", "b1\nb2");
    QMimeData data;
    setFiles(data, {second, programFolder() + "/gone.txt", first});
    Pointer pointerWhenNotFound = Pointer::Default;
    m_answers.onShown = [&](const Shown &) { pointerWhenNotFound = window().pointer(); };

    EXPECT_TRUE(drop(*window().listView2(), data));

    EXPECT_EQ(textsOf(window().list2()), (Items{"kept", "b1", "b2", "a1", "a2"}));
    EXPECT_TRUE(window().list1().isEmpty());
    EXPECT_EQ(plainMessages(), std::vector<QString>{"File not found"});
    EXPECT_EQ(pointerWhenNotFound, Pointer::Hourglass);
    EXPECT_EQ(window().pointer(), Pointer::Default);
    EXPECT_TRUE(errorReports().empty());
}

TEST_F(FileDropTest, DragsWithoutLocalFilesAreRefusedAndChangeNothing)
{
    QMimeData text;
    text.setText("someone@example.com");
    EXPECT_FALSE(drop(*window().listView1(), text));

    QMimeData remote;
    remote.setUrls({QUrl("https://www.example.com/list.txt")});
    EXPECT_FALSE(drop(*window().listView1(), remote));

    EXPECT_TRUE(window().list1().isEmpty());
    EXPECT_TRUE(m_answers.shown.empty());
}

TEST_F(FileDropTest, AFolderDroppedOnAListIsReportedLikeAnUnreadableFile)
{
    QMimeData data;
    setFiles(data, {programFolder(), writeFile("a.txt", "a\r\n")});
    EXPECT_TRUE(drop(*window().listView1(), data));
    EXPECT_EQ(textsOf(window().list1()), (Items{"a"}));
    expectErrorReports({{"in Quorvane2/19/2015.Form1.PushButton3_Click at line 134"}});
}

// A name reaches the system as the bytes the file manager sent, also when they are not UTF-8:
// read as text, caf\xE9 would become caf\uFFFD, which is another file's name.
TEST_F(FileDropTest, DroppedNamesReachTheSystemAsTheirBytes)
{
    const std::string folder = QFile::encodeName(programFolder()).toStdString();
    const auto writeBytesNamed = [&](const std::string &name, const char *content) {
        std::ofstream(folder + "/" + name, std::ios::binary) << content;
    };
    writeBytesNamed("caf\xEF\xBF\xBD.txt", "decoy\r\n");
    const std::vector<std::pair<std::string, std::string>> names = {
        {"caf\xE9.txt", "latin1"},
        {"100% sure #1?.txt", "marks"},
        {"caf\xC3\xA9 \xE2\x82\xAC.txt", "utf8"},
    };
    for (const auto &[name, item] : names) {
        SCOPED_TRACE(name);
        writeBytesNamed(name, (item + "\r\n").c_str());
        window().list1().clear();
        QMimeData data;
        data.setUrls({QUrl::fromEncoded("file://" + QByteArray::fromStdString(folder + "/" + name).toPercentEncoding("/"))});
        EXPECT_TRUE(drop(*window().listView1(), data));
        EXPECT_EQ(textsOf(window().list1()), Items{item});
    }
    EXPECT_TRUE(errorReports().empty());
    EXPECT_TRUE(plainMessages().empty());
}

TEST_F(FileDropTest, ADropWhileAnotherCommandRunsIsHeldBack)
{
    const QString file = writeFile("a.txt", "dropped\r\n");
    m_answers.openFiles.push_back({programFolder() + "/gone.txt"});
    m_answers.onShown = [&](const Shown &) {
        QMimeData data;
        setFiles(data, {file});
        drop(*window().listView1(), data);
    };
    window().pushButton(Button::LoadFileToList1)->click();
    EXPECT_TRUE(window().list1().isEmpty());
}

} // namespace
} // namespace Quorvane
