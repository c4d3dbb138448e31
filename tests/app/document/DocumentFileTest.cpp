// Saving, reopening, reverting and autosaving documents through the
// controller, with real files; python3's plistlib checks what is written.
#include "DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace ql;
using ql::testing::fileContents;
using ql::testing::plistlib;
using ql::testing::writeFile;

namespace {

// Another program's version of a document, written over `file` with a
// modification time of its own.
QByteArray writeAsAnotherProgram(const QString& file, const QString& notes)
{
    Document theirs;
    theirs.setNotes(AttributedString(notes));
    const QByteArray data = *theirs.dataOfType(kDesktopDocumentType);
    writeFile(file, data);
    QFile written(file);
    written.open(QIODevice::ReadWrite);
    written.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
    return data;
}

QString notesIn(const QString& file)
{
    Document reread;
    return reread.readFromData(fileContents(file), kDesktopDocumentType) ? reread.notes().string() : QString();
}

AttributedString someNotes()
{
    AttributedString notes(QStringLiteral("Print 200 copies, "));
    notes.append(QStringLiteral("matte."), {{TextAttribute::foregroundColor, QVariant::fromValue(Color::deviceRgb(1, 0, 0))}});
    return notes;
}

} // namespace

using DocumentFile = ql::testing::DocumentFixture;

TEST_F(DocumentFile, SavedDocumentReopensAsItWasWithNothingToUndo)
{
    Document* document = controller.newDocument();
    document->setNotes(someNotes());
    document->setFormatAsBooklet(true);
    document->updateChangeCountDone();

    prompter.answerSavePanel(path(QStringLiteral("Flyer")));
    ASSERT_TRUE(controller.saveDocument(document));
    ASSERT_EQ(prompter.panels.size(), 1);
    EXPECT_EQ(prompter.panels[0].allowedExtensions, QStringList{QStringLiteral("qvleaf")});
    EXPECT_EQ(prompter.panels[0].suggestedName, QStringLiteral("Untitled.qvleaf"));
    const QString saved = path(QStringLiteral("Flyer.qvleaf"));
    EXPECT_EQ(document->filePath(), saved) << "the extension is added when the name lacks it";
    EXPECT_EQ(document->displayName(), QStringLiteral("Flyer"));
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(controller.recentDocumentPaths().value(0), saved);

    EXPECT_EQ(plistlib(saved, QStringLiteral("list(d['$top'].keys())")), QStringLiteral("['pages', 'masterPages', 'notes', 'formatAsBooklet']"));
    EXPECT_EQ(plistlib(saved, QStringLiteral("d['$top']['formatAsBooklet']")), QStringLiteral("True"));

    ASSERT_TRUE(controller.closeDocument(document));
    Result<Document*> reopened = controller.openDocumentWithContentsOfFile(saved);
    ASSERT_TRUE(reopened.ok());
    EXPECT_EQ((*reopened)->notes(), someNotes());
    EXPECT_TRUE((*reopened)->formatAsBooklet()) << "the window set-up keeps a read document's booklet flag";
    EXPECT_FALSE((*reopened)->isDocumentEdited());
    EXPECT_FALSE((*reopened)->undoManager()->canUndo());
    EXPECT_EQ((*reopened)->filePath(), saved);
    EXPECT_TRUE(prompter.alerts.isEmpty());

    Result<Document*> again = controller.openDocumentWithContentsOfFile(saved);
    EXPECT_EQ(*again, *reopened) << "a file already open is brought forward, not opened twice";
}

TEST_F(DocumentFile, BadFilesAreRefusedWithAClearErrorAndNothingChanges)
{
    const QString name = QStringLiteral("bad.qvleaf");
    QByteArray good;
    {
        Document document;
        document.setNotes(someNotes());
        good = *document.dataOfType(kDesktopDocumentType);
    }
    QByteArray random(4096, '\0');
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + 13) % 251);
    const QByteArray xmlPlist = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                "<key>pages</key><array/></dict></plist>";
    const QList<QPair<const char*, QByteArray>> cases = {
        {"empty", QByteArray()},
        {"truncated", good.left(good.size() / 2)},
        {"random bytes", random},
        {"a property list that is no archive", xmlPlist},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        writeFile(path(name), bytes);
        prompter.alerts.clear();
        Result<Document*> result = controller.openDocumentWithContentsOfFile(path(name));
        ASSERT_FALSE(result.ok());
        EXPECT_TRUE(result.error().message.contains(name)) << result.error().message.toStdString();
        ASSERT_EQ(prompter.alerts.size(), 1);
        EXPECT_EQ(prompter.alerts[0].messageText,
                  QStringLiteral("The document “bad.qvleaf” could not be opened because it is damaged or is not a "
                                 "Quiverleaf document."));
        // The reader's own words stay under it.
        EXPECT_FALSE(prompter.alerts[0].informativeText.isEmpty());
        EXPECT_TRUE(result.error().message.endsWith(prompter.alerts[0].informativeText))
            << prompter.alerts[0].informativeText.toStdString();
        EXPECT_TRUE(controller.documents().isEmpty());
        EXPECT_EQ(fileContents(path(name)), bytes) << "the file is left as it was";
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), (QStringList{QStringLiteral("bad.qvleaf")}))
        << "nothing is written";
}

TEST_F(DocumentFile, CommandLineOpensEveryReadableFileAndReportsTheRest)
{
    Document* document = controller.newDocument();
    ASSERT_TRUE(controller.saveDocumentToFile(document, path(QStringLiteral("good.qvleaf"))));
    ASSERT_TRUE(controller.closeDocument(document));
    writeFile(path(QStringLiteral("broken.qvleaf")), "bplist00 but nothing more");

    // Paths relative to the folder the program was started in, as a shell passes them.
    const QString started = QDir::currentPath();
    QDir::setCurrent(folder.path());
    const QList<Document*> opened = controller.openDocuments({QStringLiteral("broken.qvleaf"), QStringLiteral("./good.qvleaf")});
    QDir::setCurrent(started);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0]->filePath(), path(QStringLiteral("good.qvleaf")));
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts[0].messageText, QStringLiteral("The document “broken.qvleaf” could not be opened "
                                                             "because it is damaged or is not a Quiverleaf document."));
    EXPECT_EQ(controller.currentDocument(), opened[0]);
}

TEST_F(DocumentFile, UnrecognisedTypeReadsAsAnEmptyDocument)
{
    Document document;
    EXPECT_TRUE(document.readFromData("whatever", QStringLiteral("SomeOtherType")).ok());
    EXPECT_TRUE(document.notes().isEmpty());
}

TEST_F(DocumentFile, RevertGoesBackToTheFileAfterAsking)
{
    Document* document = controller.newDocument();
    document->setNotes(someNotes());
    ASSERT_TRUE(controller.saveDocumentToFile(document, path(QStringLiteral("a.qvleaf"))));
    document->setNotes(AttributedString(QStringLiteral("changed")));
    document->updateChangeCountDone();

    prompter.answerAlert(1); // Cancel
    EXPECT_FALSE(controller.revertDocumentToSaved(document));
    EXPECT_EQ(document->notes().string(), QStringLiteral("changed"));

    prompter.answerAlert(0); // Revert
    ASSERT_TRUE(controller.revertDocumentToSaved(document));
    EXPECT_EQ(document->notes(), someNotes());
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_FALSE(document->undoManager()->canUndo());
    EXPECT_EQ(prompter.alerts[1].messageText,
              QStringLiteral("Do you want to revert to the most recently saved version of the document “a”?"));

    writeFile(path(QStringLiteral("a.qvleaf")), "damaged");
    document->setNotes(AttributedString(QStringLiteral("kept")));
    prompter.answerAlert(0);
    EXPECT_FALSE(controller.revertDocumentToSaved(document));
    EXPECT_EQ(document->notes().string(), QStringLiteral("kept")) << "a damaged file leaves the document as it was";
}

TEST_F(DocumentFile, RevertAfterAutosaveBringsBackTheVersionOpenedOrSavedAndItsFile)
{
    const QString file = path(QStringLiteral("flyer.qvleaf"));
    {
        Document original;
        original.setNotes(someNotes());
        writeFile(file, *original.dataOfType(kDesktopDocumentType));
    }
    const QByteArray opened = fileContents(file);
    // The copies lie in the program's cache folder; other tests may have left theirs.
    const QDir cache(QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
                         .filePath(QStringLiteral("saved versions")));
    const QStringList others = cache.entryList(QDir::Files);
    const auto copies = [&] {
        QStringList mine = cache.entryList(QDir::Files);
        for (const QString& name : others)
            mine.removeAll(name);
        return mine;
    };

    controller.setAutosaveDelay(20);
    Result<Document*> result = controller.openDocumentWithContentsOfFile(file);
    ASSERT_TRUE(result);
    Document* document = *result;
    ASSERT_EQ(copies().size(), 1);
    EXPECT_EQ(fileContents(cache.filePath(copies().constFirst())), opened);
    auto* window = qobject_cast<DocumentWindow*>(document->documentWindow());
    ASSERT_NE(window, nullptr);
    QAction* revert = window->menus().itemAtPath(QStringLiteral("File/Revert to Saved"));
    ASSERT_NE(revert, nullptr);
    EXPECT_FALSE(window->menus().validateMenuItem(revert)) << "nothing to go back from";

    const auto editAndAutosave = [&](const QString& notes) {
        document->setNotes(AttributedString(notes));
        document->updateChangeCountDone();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !document->isDocumentEdited(); }, 15000));
        EXPECT_EQ(notesIn(file), notes) << "autosave writes the file itself";
    };
    editAndAutosave(QStringLiteral("autosaved"));
    EXPECT_TRUE(window->menus().validateMenuItem(revert)) << "the opened version is still there to go back to";
    prompter.answerAlert(0); // Revert
    revert->trigger();
    EXPECT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(document->notes(), someNotes());
    EXPECT_EQ(fileContents(file), opened) << "the file is rewritten with the opened bytes";
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_FALSE(window->menus().validateMenuItem(revert));

    // A save the user asks for is the next version to go back to.
    document->setNotes(AttributedString(QStringLiteral("saved")));
    document->updateChangeCountDone();
    ASSERT_TRUE(controller.saveDocument(document));
    const QByteArray saved = fileContents(file);
    editAndAutosave(QStringLiteral("autosaved again"));
    prompter.answerAlert(0);
    ASSERT_TRUE(controller.revertDocumentToSaved(document));
    EXPECT_EQ(document->notes().string(), QStringLiteral("saved"));
    EXPECT_EQ(fileContents(file), saved);

    ASSERT_TRUE(controller.closeDocument(document));
    EXPECT_TRUE(copies().isEmpty()) << "closing deletes the kept copy";
    EXPECT_EQ(prompter.unansweredRequests, 0);
}

TEST_F(DocumentFile, AutosaveWritesEditedDocumentsIntoTheirOwnFile)
{
    controller.setAutosaveDelay(20);
    Document* untitled = controller.newDocument();
    Document* document = controller.newDocument();
    ASSERT_TRUE(controller.saveDocumentToFile(document, path(QStringLiteral("auto.qvleaf"))));

    document->setNotes(AttributedString(QStringLiteral("typed since the save")));
    document->updateChangeCountDone();
    untitled->updateChangeCountDone();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !document->isDocumentEdited(); }, 15000));

    Document reread;
    ASSERT_TRUE(reread.readFromData(fileContents(path(QStringLiteral("auto.qvleaf"))), kDesktopDocumentType));
    EXPECT_EQ(reread.notes().string(), QStringLiteral("typed since the save"));
    EXPECT_TRUE(untitled->isDocumentEdited()) << "an untitled document waits for the user to choose a file";
    EXPECT_TRUE(prompter.panels.isEmpty());
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("*.qvleaf")}), QStringList{QStringLiteral("auto.qvleaf")});
}

TEST_F(DocumentFile, CopyFromDataHasNoFileAndSaveFailuresAreReported)
{
    Document source;
    source.setNotes(someNotes());
    Result<Document*> copy = controller.openUntitledDocumentWithData(*source.dataOfType(kDesktopDocumentType), kDesktopDocumentType);
    ASSERT_TRUE(copy.ok());
    EXPECT_TRUE((*copy)->filePath().isEmpty());
    EXPECT_EQ((*copy)->notes(), someNotes());
    EXPECT_FALSE((*copy)->isDocumentEdited());

    (*copy)->updateChangeCountDone();
    prompter.answerSavePanel(path(QStringLiteral("missing folder/copy.qvleaf")));
    EXPECT_FALSE(controller.saveDocument(*copy));
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts[0].messageText, QStringLiteral("The document “Untitled” could not be saved."));
    EXPECT_TRUE((*copy)->isDocumentEdited());
    EXPECT_TRUE((*copy)->filePath().isEmpty());
}

TEST_F(DocumentFile, SaveAsAsksBeforeReplacingTheFileItsExtensionNames)
{
    // The panel confirmed "report"; the file written is "report.qvleaf".
    const QString existing = path(QStringLiteral("report.qvleaf"));
    writeFile(existing, "kept");
    Document* document = controller.newDocument();
    document->updateChangeCountDone();

    prompter.answerSavePanel(path(QStringLiteral("report")));
    prompter.answerAlert(1);
    EXPECT_FALSE(controller.saveDocumentAs(document));
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts[0].messageText, QStringLiteral("“report.qvleaf” already exists. Do you want to replace it?"));
    EXPECT_EQ(fileContents(existing), QByteArray("kept"));
    EXPECT_TRUE(document->filePath().isEmpty());

    prompter.answerSavePanel(path(QStringLiteral("report")));
    prompter.answerAlert(0);
    EXPECT_TRUE(controller.saveDocumentAs(document));
    EXPECT_EQ(prompter.alerts.size(), 2);
    EXPECT_NE(fileContents(existing), QByteArray("kept"));
    EXPECT_EQ(document->filePath(), QFileInfo(existing).canonicalFilePath());

    // A new name is not asked about.
    prompter.answerSavePanel(path(QStringLiteral("fresh")));
    EXPECT_TRUE(controller.saveDocumentAs(document));
    EXPECT_EQ(prompter.alerts.size(), 2);
}

TEST_F(DocumentFile, SaveAsOntoTheFileOfAnotherOpenDocumentIsRefused)
{
    Document* first = controller.newDocument();
    const QString shared = path(QStringLiteral("shared.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(first, shared));
    const QByteArray before = fileContents(shared);
    Document* second = controller.newDocument();
    second->setNotes(someNotes());
    second->updateChangeCountDone();

    prompter.answerSavePanel(folder.path() + QStringLiteral("/./shared.qvleaf"));
    EXPECT_FALSE(controller.saveDocumentAs(second));
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts[0].messageText, QStringLiteral("“shared.qvleaf” is open in another window."));
    EXPECT_EQ(prompter.alerts[0].style, AlertRequest::Style::Warning);
    EXPECT_EQ(fileContents(shared), before) << "nothing is written";
    EXPECT_TRUE(second->filePath().isEmpty());
    EXPECT_TRUE(second->isDocumentEdited());
    EXPECT_EQ(first->filePath(), QFileInfo(shared).canonicalFilePath());

    // Once the first document is closed, the file is free.
    ASSERT_TRUE(controller.closeDocument(first));
    prompter.answerSavePanel(shared);
    EXPECT_TRUE(controller.saveDocumentAs(second));
    EXPECT_EQ(notesIn(shared), someNotes().string());
}

TEST_F(DocumentFile, AFileChangedByAnotherProgramIsNotOverwrittenUnasked)
{
    controller.setAutosaveDelay(20);
    Document* document = controller.newDocument();
    const QString file = path(QStringLiteral("watched.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, file));
    const QByteArray theirs = writeAsAnotherProgram(file, QStringLiteral("theirs"));

    prompter.answerAlert(0); // OK to the sheet that tells
    document->setNotes(AttributedString(QStringLiteral("mine")));
    document->updateChangeCountDone();
    QTest::qWait(200); // long past the autosave delay
    EXPECT_EQ(fileContents(file), theirs) << "autosave leaves the other program's file alone";
    EXPECT_TRUE(document->isDocumentEdited());
    ASSERT_EQ(prompter.alerts.size(), 1) << "autosave tells the user, in the window";
    EXPECT_EQ(prompter.sheetCount, 1);
    EXPECT_EQ(prompter.alerts[0].messageText,
              QStringLiteral("The file “watched.qvleaf” has been changed by another program."));
    EXPECT_TRUE(prompter.alerts[0].buttons.isEmpty()) << "nothing to decide there: one OK";
    document->setNotes(AttributedString(QStringLiteral("mine, more")));
    document->updateChangeCountDone();
    QTest::qWait(200);
    EXPECT_EQ(prompter.alerts.size(), 1) << "once: the next autosaves say nothing more";
    EXPECT_EQ(fileContents(file), theirs);

    prompter.answerAlert(2); // Cancel
    EXPECT_FALSE(controller.saveDocument(document));
    ASSERT_EQ(prompter.alerts.size(), 2);
    EXPECT_EQ(prompter.alerts[1].messageText,
              QStringLiteral("The file “watched.qvleaf” has been changed by another program."));
    EXPECT_EQ(prompter.alerts[1].buttons,
              (QStringList{QStringLiteral("Save Anyway"), QStringLiteral("Revert"), QStringLiteral("Cancel")}));
    EXPECT_EQ(fileContents(file), theirs);
    EXPECT_TRUE(document->isDocumentEdited());

    prompter.answerAlert(1); // Revert
    EXPECT_FALSE(controller.saveDocument(document));
    EXPECT_EQ(document->notes().string(), QStringLiteral("theirs"));
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(fileContents(file), theirs);

    writeAsAnotherProgram(file, QStringLiteral("theirs again"));
    document->setNotes(AttributedString(QStringLiteral("mine again")));
    prompter.answerAlert(0); // Save Anyway
    EXPECT_TRUE(controller.saveDocument(document));
    EXPECT_EQ(notesIn(file), QStringLiteral("mine again"));
    EXPECT_EQ(prompter.alerts.size(), 4);

    // Unchanged since our own save: no question; gone: written afresh.
    document->setNotes(AttributedString(QStringLiteral("later")));
    EXPECT_TRUE(controller.saveDocument(document));
    QFile::remove(file);
    document->setNotes(AttributedString(QStringLiteral("after removal")));
    EXPECT_TRUE(controller.saveDocument(document));
    EXPECT_EQ(notesIn(file), QStringLiteral("after removal"));
    EXPECT_EQ(prompter.alerts.size(), 4);
    EXPECT_EQ(prompter.unansweredRequests, 0);
}
