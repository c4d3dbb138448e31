// A document controller of its own for each test: scripted answers, user
// defaults and files in a temporary folder, windows on the offscreen screen.
#pragma once

#include "app/document/DocumentController.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/ScriptedPrompter.h"
#include "support/QtPrinting.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace ql::testing {

class DocumentFixture : public ::testing::Test {
protected:
    DocumentFixture()
        : defaults(folder.filePath(QStringLiteral("defaults.conf")))
    {
        controller.setPrompter(&prompter);
        controller.setUserDefaults(&defaults);
    }
    ~DocumentFixture() override { controller.setPrompter(nullptr); }

    QString path(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    UserDefaults defaults;
    ScriptedPrompter prompter;
    DocumentController controller;
};

// Reads a whole file; empty when it cannot be read.
QByteArray fileContents(const QString& path);
// Writes a whole file, creating or replacing it.
void writeFile(const QString& path, const QByteArray& data);

// What python3's plistlib makes of a file: the printed value of
// `expression`, evaluated with the loaded property list as `d`.
QString plistlib(const QString& path, const QString& expression);
// Rewrites a file with plistlib: `statement` edits the loaded list `d`.
void editWithPlistlib(const QString& path, const QString& statement);

} // namespace ql::testing
