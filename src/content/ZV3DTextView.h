// The 3D text content of an element: the text shown and whether the user is
// turning the camera. The scene and its rendering build on it later.
#pragma once

#include "content/ZVContentView.h"

namespace ql::fields {
template <class C>
class Record;
}

class ZV3DTextView : public ZVContentView {
    Q_OBJECT
public:
    explicit ZV3DTextView(const QRectF& frame = QRectF(), QObject* parent = nullptr);
    const ql::PropertyTable& properties() const override;

    QString string() const { return m_string; }
    void setString(const QString& text);
    bool allowsCameraControl() const { return m_allowsCameraControl; }
    void setAllowsCameraControl(bool allows);

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Keys that are missing or of another kind keep their defaults.
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

private:
    static const ql::fields::Record<ZV3DTextView>& archiveRecord();

    QString m_string;
    bool m_allowsCameraControl = false;
};
