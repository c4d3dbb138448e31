// The export settings' rules, as the export sheet and page-render apply them.
#include "app/document/Document.h"

#include "app/output/BitmapWriters.h"
#include "platform/runtime/NotificationCenter.h"

#include <QFileInfo>
#include <algorithm>

namespace ql {

void Document::setExportControls()
{
    const auto format = ExportFormat(m_exportFileFormat.toInt());
    const int count = int(pages().size());
    changeValue(QStringLiteral("exportResolutionEligible"), m_exportResolutionEligible, true);
    changeValue(QStringLiteral("exportCMYKEligible"), m_exportCMYKEligible, false);
    changeValue(QStringLiteral("exportQualityEligible"), m_exportQualityEligible, false);
    changeValue(QStringLiteral("exportPageStart"), m_exportPageStart, QVariant(1));
    changeValue(QStringLiteral("exportPageEnd"), m_exportPageEnd, QVariant(count));
    changeValue(QStringLiteral("exportPageCount"), m_exportPageCount, QVariant(count));
    // PDF has no resolution: its option area is shorter.
    double height = 320.0;
    if (format == ExportFormat::PDF) {
        changeValue(QStringLiteral("exportResolutionEligible"), m_exportResolutionEligible, false);
        height = 210.0;
    }
    changeValue(QStringLiteral("exportContentHeight"), m_exportContentHeight, height);
    if (format == ExportFormat::JPEG)
        changeValue(QStringLiteral("exportQualityEligible"), m_exportQualityEligible, true);
    if (format == ExportFormat::PNG)
        changeValue(QStringLiteral("exportColorSpace"), m_exportColorSpace, QVariant(0));
    if (format == ExportFormat::JPEG || format == ExportFormat::TIFF)
        changeValue(QStringLiteral("exportCMYKEligible"), m_exportCMYKEligible, true);
}

void Document::prepareExport()
{
    NotificationCenter::defaultCenter().post(QStringLiteral("disableDrawingView"));
    setExportControls();
    setExportFileName(m_filePath.isEmpty() ? QObject::tr("Untitled") : QFileInfo(m_filePath).completeBaseName());
}

QList<ZVCanvasView*> Document::exportSelection()
{
    const QList<ZVCanvasView*>& shown = pages();
    const int count = int(shown.size());
    if (m_exportPageRangeType.toInt() != 1 || count == 0)
        return shown;
    // A range the controls did not keep in bounds still names real pages:
    // it is brought within 1 … count, its end not before its start.
    const int start = std::clamp(m_exportPageStart.toInt(), 1, count);
    const int end = std::clamp(m_exportPageEnd.toInt(), start, count);
    changeValue(QStringLiteral("exportPageStart"), m_exportPageStart, QVariant(start));
    changeValue(QStringLiteral("exportPageEnd"), m_exportPageEnd, QVariant(end));
    return shown.mid(start - 1, end - start + 1);
}

} // namespace ql
