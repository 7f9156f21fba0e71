#include "gt/GTPicture.h"

#include "gt/GTPainter.h"
#include "gt/GTResourceManager.h"

void GTPicture::SetPicture(const std::string& skinName) {
    PutProperty(PICTURE_PROPERTY, skinName);
    Invalidate();
    Layout();
}

void GTPicture::PaintSelf(GTPainter& painter) {
    const GTSlice* slice = GTResourceManager::Instance().FindSlice(GetProperty(PICTURE_PROPERTY));
    painter.DrawSlice(slice, 0, 0, Width(), Height());
    PaintDebugFrame(painter);
}

void GTPicture::Layout() {
    const GTSlice* slice = GTResourceManager::Instance().FindSlice(GetProperty(PICTURE_PROPERTY));
    const GTRect& g = Geometry();
    SetGeometry(GTRect::FromSize(g.left, g.top, slice ? slice->width : 0, slice ? slice->height : 0));
    GTWidget::Layout();
}
