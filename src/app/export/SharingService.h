// A place pictures of pages can be handed to. The share menu offers each
// service that accepts pictures.
#pragma once

#include "platform/Error.h"

#include <QIcon>
#include <QImage>
#include <QList>
#include <QString>

namespace ql {

// What is shared: pictures of pages, and the name they go by ("Flyer").
struct SharingItems {
    QString name;
    QList<QImage> images;
};

class SharingService {
public:
    virtual ~SharingService() = default;
    virtual QString title() const = 0;
    virtual QIcon image() const { return {}; }
    virtual bool canPerformWithItems(const SharingItems& items) const = 0;
    virtual Status performWithItems(const SharingItems& items) = 0;
};

} // namespace ql
