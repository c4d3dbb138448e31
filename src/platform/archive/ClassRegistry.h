// The allow-list of a kind of archive: which archived class names may be
// instantiated, as which model class or value decoder, and which names of
// other editions stand for which of ours.
#pragma once

#include "platform/archive/Codable.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <type_traits>

namespace ql {

class ClassRegistry {
public:
    // Makes a new, unparented instance; the unarchiver then calls initWithCoder.
    using ObjectFactory = std::function<QObject*()>;
    // Reads a value record (its keys are the unarchiver's current keys).
    using ValueDecoder = std::function<QVariant(KeyedUnarchiver&)>;

    ClassRegistry() = default;

    // The platform's value classes only: collections, strings, numbers,
    // data, null, geometry values, dates, URLs, colours, fonts, paragraph
    // styles, attributed strings, images, Bézier paths, gradients and ruler
    // markers. Every kind of archive starts from this.
    static ClassRegistry withPlatformValues();

    template <class T>
    void registerClass(const QString& archivedName)
    {
        registerClass<T>(archivedName, [] { return static_cast<QObject*>(new T()); });
    }
    // As above, made by `make` instead of the default constructor.
    template <class T>
    void registerClass(const QString& archivedName, ObjectFactory make)
    {
        static_assert(std::is_base_of_v<QObject, T> && std::is_base_of_v<Codable, T>,
                      "archived classes are QObjects implementing Codable");
        m_factories.insert(archivedName, std::move(make));
    }
    void registerValueClass(const QString& archivedName, ValueDecoder decoder);
    // Reads records named archivedName as the registered class registeredName.
    void substitute(const QString& archivedName, const QString& registeredName);

    // nullptr when the name is not allowed (or is a value class).
    const ObjectFactory* factory(const QString& archivedName) const;
    const ValueDecoder* valueDecoder(const QString& archivedName) const;

private:
    QString resolved(const QString& archivedName) const;

    QHash<QString, ObjectFactory> m_factories;
    QHash<QString, ValueDecoder> m_decoders;
    QHash<QString, QString> m_substitutions;
};

} // namespace ql
