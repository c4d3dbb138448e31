// Sharing as the desktop allows it: the pictures are written as PNG files
// into a new folder of the cache folder, and the desktop opens that folder.
#pragma once

#include "app/export/SharingService.h"

namespace ql {

class Workspace;

class ShowInFolderService : public SharingService {
public:
    explicit ShowInFolderService(Workspace& workspace) : m_workspace(workspace) {}

    QString title() const override;
    QIcon image() const override;
    bool canPerformWithItems(const SharingItems& items) const override;
    void performWithItems(const SharingItems& items, Completion completion) override;

    // The folder the last share was written to.
    QString lastFolder() const { return m_lastFolder; }

private:
    Status showInFolder(const SharingItems& items);

    Workspace& m_workspace;
    QString m_lastFolder;
};

} // namespace ql
