#pragma once
// Shared set-up of the height page's widget tests: a fresh working folder
// with its own "settings.ini", the real client's batch buffers filled by the
// test, and readers of what the widgets wrote.
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "sensor_client/app_settings.h"
#include "sensor_client/linelaser_client.h"
#include "tests/support/temp_dir.h"

namespace height_test {

// A child widget by its object name; the test fails when there is none.
template <class T>
T* child(QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << "no " << name;
    return found;
}

// Runs the test in a fresh working folder; the client's batch is emptied
// before and after.
class WorkFolderTest : public ::testing::Test {
protected:
    WorkFolderTest() {
        reopenAppSettings();
        clearBatch();
    }
    ~WorkFolderTest() override {
        clearBatch();
        linelaserClient()->headModelText.clear();
        reopenAppSettings();
    }

    // The text of "settings.ini" as the file holds it (the settings are
    // written out first).
    QStringList settingsLines() {
        reopenAppSettings();
        QFile file(QStringLiteral("settings.ini"));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split(QRegExp("[\r\n]+"), Qt::SkipEmptyParts);
    }
    bool settingsFileExists() {
        reopenAppSettings();
        return QFile::exists(QStringLiteral("settings.ini"));
    }
    // Writes "settings.ini" whole before the widget reads it.
    void writeSettings(const QString& text) {
        reopenAppSettings();
        QFile file(QStringLiteral("settings.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
        file.close();
        reopenAppSettings();
    }

    // Places rows into the client's batch buffers, as its batch thread does.
    static void setBatch(const std::vector<std::vector<double>>& rows,
                         const std::vector<std::vector<uint8_t>>& intensity = {}) {
        LinelaserClient* client = linelaserClient();
        std::lock_guard<std::mutex> lock(client->batchMutex);
        for (size_t r = 0; r < rows.size(); ++r) client->batchHeights[r] = rows[r];
        for (size_t r = 0; r < intensity.size(); ++r) client->batchIntensity[r] = intensity[r];
        client->batchProfileCount = static_cast<int>(rows.size());
    }
    static void clearBatch() {
        LinelaserClient* client = linelaserClient();
        std::lock_guard<std::mutex> lock(client->batchMutex);
        for (int r = 0; r < 64; ++r) {
            client->batchHeights[static_cast<size_t>(r)].clear();
            client->batchIntensity[static_cast<size_t>(r)].clear();
        }
        client->batchProfileCount = 0;
    }

    mirevo::test::TempDir work_;
    mirevo::test::ScopedWorkingDir inWork_{work_.path()};
};

}  // namespace height_test
