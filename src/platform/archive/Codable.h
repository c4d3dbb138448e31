// What a model class implements to be stored in a keyed archive. Model
// classes are QObjects that also derive from Codable: they name their class
// chain, write their keys in encodeWithCoder and read them back in
// initWithCoder. A ClassRegistry lists the classes a kind of archive may hold.
#pragma once

#include <QStringList>

namespace ql {

class KeyedArchiver;
class KeyedUnarchiver;

class Codable {
public:
    virtual ~Codable() = default;

    // The archived class name first, then the names of its ancestors, as
    // written to "$classname" and "$classes". The names are part of the file
    // format: keep them when classes are renamed in code.
    virtual QStringList archiveClassChain() const = 0;

    virtual void encodeWithCoder(KeyedArchiver& coder) const = 0;

    // Runs on a new instance that the registry made. Objects it decodes may be
    // adopted as QObject children (setParent(this)) but must not be parented
    // to anything outside the archive. A class that finds its keys unusable
    // calls coder.fail(...); the whole decode then fails and nothing it made
    // survives.
    virtual void initWithCoder(KeyedUnarchiver& coder) = 0;
};

} // namespace ql
