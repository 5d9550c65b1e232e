#pragma once
// MainWindow's form as data, and typed handles to its controls.
#include "ui/ui.h"

namespace vorda::mainwindow {

ui::FormSpec mainWindowForm();

struct MainWindowControls {
    ui::Window window;
    ui::PictureBox 图片框3;
    ui::PictureBox 图片框2;
    ui::PictureBox 图片框5;
    ui::Button 注销按钮;
    ui::PictureButton 图形按钮3;
    ui::ShapeFrame 外形框3;
    ui::PictureButton 图形按钮2;
    ui::PictureButton 图形按钮1;
    ui::Button 加载按钮;
    ui::Button 刷新按钮;
    ui::Button 加载按钮1;
    ui::Button 刷新按钮1;
    ui::ShapeFrame 外形框1;
    ui::ShapeFrame 外形框2;
    ui::PictureBox 图片框1;
    ui::Button 超级按钮1;
    ui::Button 超级按钮2;
    ui::PageControl 高级选择夹1;
    ui::Label 透明标签6;
    ui::Edit 编辑框1;
    ui::Button 超级按钮5;
    ui::Label 透明标签7;
    ui::Edit 编辑框2;
    ui::Button 超级按钮7;
    ui::Label 透明标签8;
    ui::Edit 编辑框3;
    ui::Button 超级按钮3;
    ui::Label 透明标签9;
    ui::Edit 编辑框4;
    ui::Button 超级按钮8;
    ui::Label 透明标签10;
    ui::Edit 编辑框5;
    ui::Button 超级按钮6;
    ui::Label 透明标签11;
    ui::Edit 编辑框6;
    ui::Button 超级按钮9;
    ui::Button 超级按钮4;
    ui::Button 超级按钮10;
    ui::Edit 编辑框7;
    ui::PictureButton 搜索按钮1;
    ui::Label 透明标签13;
    ui::Edit 编辑1;
    ui::Button 超级按钮13;
    ui::Label 透明标签14;
    ui::Edit 编辑2;
    ui::Button 超级按钮14;
    ui::Label 透明标签15;
    ui::Edit 编辑3;
    ui::Button 超级按钮15;
    ui::Label 透明标签16;
    ui::Edit 编辑4;
    ui::Button 超级按钮16;
    ui::Label 透明标签17;
    ui::Edit 编辑5;
    ui::Button 超级按钮17;
    ui::Button 超级按钮18;
    ui::Button 超级按钮19;
    ui::Edit 编辑6;
    ui::PictureButton 搜索按钮2;
    ui::Edit 编辑框8;
    ui::GroupBox 分组框2;
    ui::Label 透明标签25;
    ui::Label 透明标签5;
    ui::Edit 编辑框17;
    ui::Label 透明标签12;
    ui::Edit 编辑框16;
    ui::Button 超级按钮12;
    ui::GroupBox 分组框1;
    ui::Label 透明标签26;
    ui::Label 透明标签3;
    ui::Button 超级按钮11;
    ui::GroupBox 分组框3;
    ui::Label 透明标签27;
    ui::Label 透明标签24;
    ui::Label 透明标签23;
    ui::Button 超级按钮21;
    ui::Canvas 画板1;
    ui::Label 透明标签1;
    ui::Label 透明标签2;
    ui::Label 透明标签19;
    ui::Label 透明标签4;
    ui::Label 透明标签21;
    ui::Label 透明标签20;
    ui::Label 透明标签18;
    ui::Label 透明标签22;
    ui::LinkLabel 超级链接框1;
    ui::LinkLabel 超级链接框2;
    ui::LinkLabel 超级链接框3;
    ui::ListView 超级列表框1;
    ui::ListView 超级列表框2;
    ui::ListView 超级列表框3;
    ui::Edit 编辑框9;
    ui::Edit 编辑框10;
    ui::Edit 编辑框11;
    ui::Edit 编辑框12;
    ui::Edit 编辑框13;
};

// Handles to the controls of a window built from mainWindowForm().
MainWindowControls bindMainWindowControls(ui::Backend& b, ui::ControlId window);

}  // namespace vorda::mainwindow
