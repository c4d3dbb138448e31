// A place pictures of pages can be handed to. The share menu offers each
// service that accepts pictures.
#pragma once

#include "platform/Error.h"

#include <QIcon>
#include <QImage>
#include <QList>
#include <QString>
#include <functional>

namespace ql {

// What is shared: pictures of pages, and the name they go by ("Flyer").
struct SharingItems {
    QString name;
    QList<QImage> images;
};

class SharingService {
public:
    // How a share ended.
    using Completion = std::function<void(const Status& shared)>;

    virtual ~SharingService() = default;
    virtual QString title() const = 0;
    virtual QIcon image() const { return {}; }
    virtual bool canPerformWithItems(const SharingItems& items) const = 0;
    // Hands the items over. `completion` hears how it went: at once, or, from
    // a service that waits for another program's word, later on the main
    // thread (never once the service is gone).
    virtual void performWithItems(const SharingItems& items, Completion completion) = 0;
};

} // namespace ql
