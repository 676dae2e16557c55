#include "gui/app/DeviceDialog.h"

#include "WhenModal.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace vtm;
using vtmtest::WhenModal;

namespace {
std::vector<BlockDeviceEntry> Entries()
{
    BlockDeviceEntry sda, sda1, loop0;
    sda.name = "sda";
    sda.path = "/dev/sda";
    sda.size = 1 << 30;
    sda1 = sda;
    sda1.name = "sda1";
    sda1.path = "/dev/sda1";
    sda1.partition = true;
    sda1.parent = "sda";
    sda1.mountPoints = {"/boot"};
    loop0.name = "loop0";
    loop0.path = "/dev/loop0";
    loop0.size = 4096;
    return {sda, sda1, loop0};
}

QString Utf8(const char *s)
{
    return QString::fromUtf8(s);
}
} // namespace

// Enter on the partition opens it; the tree, captions and button state are German.
TEST(DeviceDialog, GermanTreeChoosesThePartition)
{
    struct
    {
        QString title, open, cancel, header, child;
        int topLevel = 0, children = 0;
        bool openAtFirst = true, openOnSelection = false;
    } seen;
    WhenModal([&seen](QWidget *modal) {
        auto *d = qobject_cast<DeviceDialog *>(modal);
        ASSERT_NE(d, nullptr);
        QTreeWidget *tree = d->tree();
        ASSERT_NE(tree, nullptr);
        seen.title = d->windowTitle();
        seen.open = d->openButton()->text();
        seen.cancel = d->cancelButton()->text();
        seen.header = tree->headerItem()->text(3);
        seen.topLevel = tree->topLevelItemCount();
        seen.children = tree->topLevelItem(0)->childCount();
        seen.openAtFirst = d->openButton()->isEnabled();
        if (seen.children == 1) {
            seen.child = tree->topLevelItem(0)->child(0)->text(0);
            tree->setCurrentItem(tree->topLevelItem(0)->child(0));
        }
        seen.openOnSelection = d->openButton()->isEnabled();
        QTest::keyClick(tree, Qt::Key_Return);
        if (d->isVisible())
            d->reject();
    });
    int index = -1;
    EXPECT_TRUE(RunDeviceDialog(nullptr, Entries(), LanguageGerman, &index));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(seen.title, Utf8("Datenträger und Partitionen"));
    EXPECT_EQ(seen.open, Utf8("&Öffnen"));
    EXPECT_EQ(seen.cancel, Utf8("Abbrechen"));
    EXPECT_EQ(seen.header, Utf8("Eingehängt in"));
    EXPECT_EQ(seen.topLevel, 2);
    EXPECT_EQ(seen.children, 1);
    EXPECT_EQ(seen.child, Utf8("/dev/sda1"));
    EXPECT_FALSE(seen.openAtFirst);
    EXPECT_TRUE(seen.openOnSelection);
}

TEST(DeviceDialog, CancelAndEmptyList)
{
    bool hasTree = true, saysEmpty = false;
    WhenModal([&](QWidget *modal) {
        auto *d = qobject_cast<DeviceDialog *>(modal);
        ASSERT_NE(d, nullptr);
        hasTree = d->tree() != nullptr;
        for (QLabel *label : d->findChildren<QLabel *>())
            saysEmpty = saysEmpty || label->text() == Utf8("No disks or partitions were found.");
        d->cancelButton()->click();
    });
    int index = 7;
    EXPECT_FALSE(RunDeviceDialog(nullptr, {}, LanguageEnglish, &index));
    EXPECT_EQ(index, 7);
    EXPECT_FALSE(hasTree);
    EXPECT_TRUE(saysEmpty);

    WhenModal([](QWidget *modal) {
        auto *d = qobject_cast<DeviceDialog *>(modal);
        ASSERT_NE(d, nullptr);
        d->tree()->setCurrentItem(d->tree()->topLevelItem(1));
        d->cancelButton()->click();
    });
    EXPECT_FALSE(RunDeviceDialog(nullptr, Entries(), LanguageEnglish, &index));
}
