#pragma once

#include <QCursor>

// The pointer shapes of the editing view. The positive values are the numbers the editor's cursor
// resources had; the negative ones are the text tracker's own shapes over its handles.
enum class EditorCursor : int {
    arrow = 0,          // the system arrow: select tool, nothing under the pointer
    overElement = 154,  // over an element that is not selected
    move = 172,         // over a selected element: it can be dragged
    spriteTool = 201,   // the insert tools
    textTool = 104,
    pictureTool = 105,
    videoTool = 1067,
    trackerMove = -1,       // the tracker's inside and border
    trackerSizeFDiag = -2,  // top-left and bottom-right handles
    trackerSizeBDiag = -3,  // top-right and bottom-left handles
    trackerSizeHor = -4,
    trackerSizeVer = -5,
};

// The Qt cursor of a shape. The editor's own cursors are drawn here, in code, once per process.
const QCursor& EditorQCursor(EditorCursor which);
