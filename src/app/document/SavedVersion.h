// The bytes of a document's file as the user last opened or saved it, kept
// in the cache folder while the document is open. Autosave rewrites the file
// itself a few seconds after each edit; this copy is the way back to the
// version the user chose to keep. The copy goes when this object does.
#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>

namespace ql {

class SavedVersion {
public:
    SavedVersion() = default;
    ~SavedVersion();
    SavedVersion(const SavedVersion&) = delete;
    SavedVersion& operator=(const SavedVersion&) = delete;

    // Replaces the kept bytes. On failure nothing is kept any more: an older
    // version would be no way back to what the user last saved.
    Status keep(const QByteArray& data);
    bool isKept() const { return !m_path.isEmpty(); }
    Result<QByteArray> read() const;
    void discard();

    // Where the copies of every open document lie.
    static QString folder();
    // The copy's file, empty when nothing is kept.
    QString path() const { return m_path; }

private:
    QString m_path;
};

} // namespace ql
