#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <string>
#include <vector>

#include "decoys.h"
#include "encryptdecrypt.h"
#include "inifile.h"
#include "mainformfields.h"
#include "messagebox.h"
#include "picturebox.h"
#include "sshowgraph.h"
#include "tempdir.h"
#include "termination.h"
#include "vaultlayout.h"

// A vault folder, a picture, and the click-secret screen shown modally the
// way its callers show it, with an action run inside its loop.
class ScreenFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        fields.AppDir = folder.path();
        setMessageSeamForTesting([this](const MessageRecord& record) {
            messages.push_back(record);
            return answer;
        });
        setDecoyClockForTesting([this] { return decoySeed += 7919; });
    }

    void TearDown() override
    {
        setMessageSeamForTesting(nullptr);
        setDecoyClockForTesting(nullptr);
        resetTerminationForTesting();
    }

    QString makePicture(const QString& name, QSize size) const
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString path = folder.file(name);
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }

    std::string stored(const std::string& key) const
    {
        const TIniFile ini(vault::vaultPath(fields.AppDir));
        return DecryptText(ini.ReadEntry(vault::SecretSection(), EncryptText(key)));
    }

    // A press through the window, at a point of the picture.
    static void press(TShowGraph& screen, QPoint inPicture)
    {
        QTest::mouseClick(
            screen.windowHandle(), Qt::LeftButton, {}, screen.Image1->mapTo(&screen, inPicture));
    }

    void showModally(
        TShowGraph& screen, const QString& mode, const QString& picture, const std::function<void()>& act)
    {
        screen.Mode = mode;
        screen.ImagePath = picture;
        bool acted = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&screen] {
            ADD_FAILURE() << "the screen did not close";
            screen.done(QDialog::Rejected);
        });
        QTimer::singleShot(0, &screen, [&] {
            acted = true;
            act();
        });
        watchdog.start(10000);
        ExecModal(screen);
        EXPECT_TRUE(acted);
        EXPECT_FALSE(screen.isVisible());
    }

    // Clicks the points, then ends the showing the given way.
    void clickThenEnd(TShowGraph& screen, const QString& mode, const QString& picture,
        const std::vector<QPoint>& points, const std::function<void(TShowGraph&)>& end)
    {
        showModally(screen, mode, picture, [&] {
            for (const QPoint& p : points)
                press(screen, p);
            end(screen);
        });
    }

    static void escape(TShowGraph& screen) { QTest::keyClick(screen.windowHandle(), Qt::Key_Escape); }

    TestFolder folder;
    MainFormFields fields;
    std::vector<MessageRecord> messages;
    MsgResult answer = MsgResult::Ok;
    std::uint32_t decoySeed = 0;
};
