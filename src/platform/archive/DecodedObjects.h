// Ownership of the objects a successful decode made. Each decoded object
// either was adopted during decoding (a QObject child of another decoded
// object, typically its owner in the model) or is held here. Whatever is
// still held when this is destroyed is deleted; adoptAll() hands the rest to
// a parent of the caller's choosing.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <vector>

namespace ql {

class DecodedObjects {
public:
    DecodedObjects() = default;
    explicit DecodedObjects(std::vector<QPointer<QObject>> objects) : m_objects(std::move(objects)) {}
    DecodedObjects(DecodedObjects&&) noexcept = default;
    DecodedObjects& operator=(DecodedObjects&& other) noexcept;
    DecodedObjects(const DecodedObjects&) = delete;
    DecodedObjects& operator=(const DecodedObjects&) = delete;
    ~DecodedObjects();

    // Decoded objects that are still alive and have no parent.
    QList<QObject*> unadopted() const;
    // Gives every unadopted object the parent; nothing is held afterwards.
    void adoptAll(QObject* parent);

private:
    void deleteUnadopted();

    std::vector<QPointer<QObject>> m_objects;
};

} // namespace ql
