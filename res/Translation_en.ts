<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>ABAreaWidgets</name>
    <message>
        <source>0.0</source>
        <translation>0.0</translation>
    </message>
    <message>
        <source>ABAreaWidgets</source>
        <translation>ABAreaWidgets</translation>
    </message>
    <message>
        <source>光标A(X)</source>
        <translation>Cursor A(X)</translation>
    </message>
    <message>
        <source>光标A(X)-B(X)</source>
        <translation>Cursor A(X)-B(X)</translation>
    </message>
    <message>
        <source>光标A(X,Z)</source>
        <translation>Cursor A(X,Z)</translation>
    </message>
    <message>
        <source>光标A(Z)</source>
        <translation>Cursor A(Z)</translation>
    </message>
    <message>
        <source>光标A(Z)-B(Z)</source>
        <translation>Cursor A(Z)-B(Z)</translation>
    </message>
    <message>
        <source>光标A-B</source>
        <translation>Cursor A-B</translation>
    </message>
    <message>
        <source>光标B(X)</source>
        <translation>Cursor B(X)</translation>
    </message>
    <message>
        <source>光标B(X,Z)</source>
        <translation>Cursor B(X,Z)</translation>
    </message>
    <message>
        <source>光标B(Z)</source>
        <translation>Cursor B(Z)</translation>
    </message>
    <message>
        <source>光标B-A</source>
        <translation>Cursor B-A</translation>
    </message>
</context>
<context>
    <name>ChangeProcedureCopyDlg</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>复制程序设定失败!</source>
        <translation>Failed to copy program!</translation>
    </message>
    <message>
        <source>源程序</source>
        <translation>Source prog.</translation>
    </message>
    <message>
        <source>程序设定复制</source>
        <translation>Copy program</translation>
    </message>
    <message>
        <source>粘贴到</source>
        <translation>Paste to</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>ChangeProcedureDlg</name>
    <message>
        <source>No .</source>
        <translation>No .</translation>
    </message>
    <message>
        <source>修改程序名称</source>
        <translation>Rename prog.</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>切换</source>
        <translation>Switch</translation>
    </message>
    <message>
        <source>切换程序设定失败!</source>
        <translation>Failed to switch program!</translation>
    </message>
    <message>
        <source>变更程序No.</source>
        <translation>Program settings</translation>
    </message>
    <message>
        <source>复制程序设定</source>
        <translation>Copy prog.</translation>
    </message>
    <message>
        <source>将恢复出厂设置, 确定继续吗?</source>
        <translation>Confirm to reset to factory?</translation>
    </message>
    <message>
        <source>将重置程序设定[编号 %1], 确定继续吗?</source>
        <translation>Confirm to reset program[No. %1]?</translation>
    </message>
    <message>
        <source>当前的活动程序</source>
        <translation>Active program</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Reset to factory</translation>
    </message>
    <message>
        <source>恢复出厂设置失败!</source>
        <translation>Failed to reset to factory settings!</translation>
    </message>
    <message>
        <source>恢复出厂设置成功!</source>
        <translation>Reset to factory settings successfully!</translation>
    </message>
    <message>
        <source>成功切换程序设定至编号 %1</source>
        <translation>Current program switched to %1 successfully.</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>程序名称</source>
        <translation>Program name</translation>
    </message>
    <message>
        <source>程序设定重置</source>
        <translation>Reset program</translation>
    </message>
    <message>
        <source>获取当前程序编号失败!</source>
        <translation>Failed to retrieve the current program number!</translation>
    </message>
    <message>
        <source>设置程序设定失败!</source>
        <translation>Failed to set program!</translation>
    </message>
    <message>
        <source>选择变更的程序</source>
        <translation>Program selection</translation>
    </message>
    <message>
        <source>重置程序设定</source>
        <translation>Reset prog.</translation>
    </message>
    <message>
        <source>重置程序设定失败!</source>
        <translation>Failed to reset program!</translation>
    </message>
    <message>
        <source>重置程序设定成功!</source>
        <translation>Reset program successfully!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>ChangeProcedureSetNameDlg</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>程序</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>程序设定名称</source>
        <translation>Rename program</translation>
    </message>
</context>
<context>
    <name>CloudFilterSettingWidget</name>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>处理对象</source>
        <translation>Object</translation>
    </message>
    <message>
        <source>头部</source>
        <translation>Head</translation>
    </message>
    <message>
        <source>头部结束行</source>
        <translation>Head end row</translation>
    </message>
    <message>
        <source>头部起始行</source>
        <translation>Head start row</translation>
    </message>
    <message>
        <source>头部高度阈值(mm)</source>
        <translation>Head height threshold(mm)</translation>
    </message>
    <message>
        <source>尾部</source>
        <translation>Tail</translation>
    </message>
    <message>
        <source>尾部和头部</source>
        <translation>Tail and head</translation>
    </message>
    <message>
        <source>尾部高度阈值(mm)</source>
        <translation>Tail height threshold(mm)</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>最大有效宽度</source>
        <translation>Max valid width</translation>
    </message>
    <message>
        <source>焊道过滤</source>
        <translation>Weld filter</translation>
    </message>
    <message>
        <source>盖板过滤</source>
        <translation>Cover filter</translation>
    </message>
    <message>
        <source>过滤灰度图</source>
        <translation>Filter gray image</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed!</translation>
    </message>
    <message>
        <source>高度滤波阈值(mm)</source>
        <translation>Height filter threshold(mm)</translation>
    </message>
    <message>
        <source>高度阈值(mm)</source>
        <translation>Height threshold(mm)</translation>
    </message>
</context>
<context>
    <name>ConnEditDialog</name>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>修改IP</source>
        <translation>Modify IP</translation>
    </message>
    <message>
        <source>修改传感器IP</source>
        <translation>Modify sensor IP</translation>
    </message>
    <message>
        <source>修改失败!</source>
        <translation>Modification failed!</translation>
    </message>
    <message>
        <source>修改成功，关闭软件后设置好ip重新连接!</source>
        <translation>Modification succeeded! Please connect again after closing and setting IP</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>掩码</source>
        <translation>Mask</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>读取失败!</source>
        <translation>Reading failed!</translation>
    </message>
</context>
<context>
    <name>ConnectSetDialog</name>
    <message>
        <source>下位机版本不兼容，请联系客服!</source>
        <translation>Incompatible hardware version</translation>
    </message>
    <message>
        <source>下位机版本异常，请升级!</source>
        <translation>Invalid hardware version</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>加载设定参数失败，是否恢复出厂设置？</source>
        <translation>Failed to load the sensor settings. Reset to factory settings?</translation>
    </message>
    <message>
        <source>升级</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>Firmware upgrade</translation>
    </message>
    <message>
        <source>地址选择</source>
        <translation>Address selection</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>断开</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>设定参数校验失败，是否重试？</source>
        <translation>The sensor settings failed their check. Retry?</translation>
    </message>
    <message>
        <source>读取版本号超时，请重新连接!</source>
        <translation>Version read timeout. Please connect again</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>连接失败!</source>
        <translation>Connecting failed!</translation>
    </message>
    <message>
        <source>连接激光头失败! 请检查线缆连接后重试</source>
        <translation>Failed to connect the laser head! Please check the cables and retry</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed!</translation>
    </message>
    <message>
        <source>通信设置</source>
        <translation>Communication setting</translation>
    </message>
</context>
<context>
    <name>D3dSetDialog</name>
    <message>
        <source>tif数据精度(um)</source>
        <translation>tif data precision(um)</translation>
    </message>
    <message>
        <source>上方优先</source>
        <translation>Upper first</translation>
    </message>
    <message>
        <source>上限</source>
        <translation>Upper limit</translation>
    </message>
    <message>
        <source>下方优先</source>
        <translation>Lower first</translation>
    </message>
    <message>
        <source>下限</source>
        <translation>Lower limit</translation>
    </message>
    <message>
        <source>定制tif导出设定</source>
        <translation>Customized tif export setting</translation>
    </message>
    <message>
        <source>时间轴取样（1-15000）</source>
        <translation>Time axis sampling (1-15000)</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>自动导出</source>
        <translation>Auto export</translation>
    </message>
    <message>
        <source>自动调整</source>
        <translation>Auto adjust</translation>
    </message>
    <message>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>高度图像显示设定</source>
        <translation>Height image display setting</translation>
    </message>
    <message>
        <source>高度缩放设定(mm)</source>
        <translation>Height scale setting</translation>
    </message>
</context>
<context>
    <name>DeadZoneSettingWidget</name>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>梯度阈值</source>
        <translation>Gradient threshold</translation>
    </message>
    <message>
        <source>死角阈值</source>
        <translation>Dead zone threshold</translation>
    </message>
    <message>
        <source>高度阈值(um)</source>
        <translation>Height threshold</translation>
    </message>
</context>
<context>
    <name>FullViewIgnoreSettingWidget</name>
    <message>
        <source>三角形</source>
        <translation>Triangle</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>屏蔽区域</source>
        <translation>Mask area</translation>
    </message>
    <message>
        <source>形状</source>
        <translation>Shape</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>永久保存</source>
        <translation>Save permanently</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Append</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>矩形</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>请在图中按住鼠标左键拖拽出图形</source>
        <translation>Please press mouse left button to draw</translation>
    </message>
    <message>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>追加屏蔽区域</source>
        <translation>Append mask area</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed!</translation>
    </message>
</context>
<context>
    <name>FullViewLightABLineSettingWidget</name>
    <message>
        <source>FB对象范围</source>
        <translation>FB object range</translation>
    </message>
    <message>
        <source>PB控制-光标设定</source>
        <translation>PB control - Cursor setting</translation>
    </message>
    <message>
        <source>光量控制</source>
        <translation>Light control</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>右端</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>左端</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>FullViewLightSettingWidget</name>
    <message>
        <source>上限值</source>
        <translation>Uppper limit</translation>
    </message>
    <message>
        <source>下限值</source>
        <translation>Lower limit</translation>
    </message>
    <message>
        <source>光标设定</source>
        <translation>Cursor setting</translation>
    </message>
    <message>
        <source>光量控制</source>
        <translation>Light control</translation>
    </message>
    <message>
        <source>光量控制区域</source>
        <translation>Light control area</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>右端</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>左端</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>曝光范围</source>
        <translation>Exposure range</translation>
    </message>
    <message>
        <source>激光/曝光控制</source>
        <translation>Laser/Light control</translation>
    </message>
    <message>
        <source>激光控制</source>
        <translation>Laser control</translation>
    </message>
    <message>
        <source>电压</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>设定值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed</translation>
    </message>
</context>
<context>
    <name>FullViewSettingWidget</name>
    <message>
        <source>%1档</source>
        <translation>Grade%1</translation>
    </message>
    <message>
        <source>Z方向</source>
        <translation>Z direction</translation>
    </message>
    <message>
        <source>低灰度阈值</source>
        <translation>Low gray threshold</translation>
    </message>
    <message>
        <source>光晕过滤</source>
        <translation>Halo filter</translation>
    </message>
    <message>
        <source>半透明体1</source>
        <translation>Translucent1</translation>
    </message>
    <message>
        <source>半透明体2</source>
        <translation>Translucent2</translation>
    </message>
    <message>
        <source>单帧HDR</source>
        <translation>Single frame HDR</translation>
    </message>
    <message>
        <source>图像屏蔽</source>
        <translation>Image mask</translation>
    </message>
    <message>
        <source>增益</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>多帧HDR</source>
        <translation>Multi HDR</translation>
    </message>
    <message>
        <source>峰值处理</source>
        <translation>Peak process</translation>
    </message>
    <message>
        <source>感光特性</source>
        <translation>Light features</translation>
    </message>
    <message>
        <source>拍摄对象</source>
        <translation>Captured object</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>无效数据补间点数</source>
        <translation>Repaired points for invalid data</translation>
    </message>
    <message>
        <source>曝光时间(us)</source>
        <translation>Exposure time(us)</translation>
    </message>
    <message>
        <source>标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>测量范围</source>
        <translation>Measure range</translation>
    </message>
    <message>
        <source>混合</source>
        <translation>Mixed</translation>
    </message>
    <message>
        <source>设定</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>设置曝光时间失败</source>
        <translation>Failed to set the exposure time</translation>
    </message>
    <message>
        <source>转为无效数据</source>
        <translation>As invalid</translation>
    </message>
    <message>
        <source>近端</source>
        <translation>Near</translation>
    </message>
    <message>
        <source>远端</source>
        <translation>Far</translation>
    </message>
    <message>
        <source>连续</source>
        <translation>Continous</translation>
    </message>
    <message>
        <source>连续 - 最大</source>
        <translation>Cont. - Max</translation>
    </message>
    <message>
        <source>连续 - 近端</source>
        <translation>Cont. - Near</translation>
    </message>
    <message>
        <source>连续 - 远端</source>
        <translation>Cont. - Far</translation>
    </message>
    <message>
        <source>选择峰值</source>
        <translation>Select peak</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>非透明体</source>
        <translation>Opaque</translation>
    </message>
    <message>
        <source>高动态范围%1</source>
        <translation>HDR%1</translation>
    </message>
    <message>
        <source>高灰度阈值</source>
        <translation>High gray threshold</translation>
    </message>
    <message>
        <source>高精度</source>
        <translation>High precision</translation>
    </message>
    <message>
        <source>高级</source>
        <translation>Advanced</translation>
    </message>
</context>
<context>
    <name>FullViewWidget</name>
    <message>
        <source>保存日志</source>
        <translation>Save logs</translation>
    </message>
    <message>
        <source>保存日志 (*.dat)</source>
        <translation>Saved log(*.dat)</translation>
    </message>
</context>
<context>
    <name>HDRSettingWidget</name>
    <message>
        <source>2重曝光</source>
        <translation>Times 2</translation>
    </message>
    <message>
        <source>3重曝光</source>
        <translation>Times 3</translation>
    </message>
    <message>
        <source>亮度图</source>
        <translation>Light view</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>加权</source>
        <translation>Weight</translation>
    </message>
    <message>
        <source>区域帧选择</source>
        <translation>Area frame selection</translation>
    </message>
    <message>
        <source>多帧HDR</source>
        <translation>Multi HDR</translation>
    </message>
    <message>
        <source>帧%1</source>
        <translation>Frame%1</translation>
    </message>
    <message>
        <source>帧1曝光时间(us)</source>
        <translation>Frame 1 exposure time(us)</translation>
    </message>
    <message>
        <source>帧2曝光时间(us)</source>
        <translation>Frame 2 exposure time(us)</translation>
    </message>
    <message>
        <source>帧3曝光时间(us)</source>
        <translation>Frame 3 exposure time(us)</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>曝光模式</source>
        <translation>Exposure mode</translation>
    </message>
    <message>
        <source>标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>标准模式</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>融合模式</source>
        <translation>Mixed mode</translation>
    </message>
    <message>
        <source>选择参数文件</source>
        <translation>Select parameter file</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed</translation>
    </message>
</context>
<context>
    <name>HaloFilterWidget</name>
    <message>
        <source>光晕1</source>
        <translation>Halo1</translation>
    </message>
    <message>
        <source>光晕2</source>
        <translation>Halo2</translation>
    </message>
    <message>
        <source>光晕3</source>
        <translation>Halo3</translation>
    </message>
    <message>
        <source>光晕过滤</source>
        <translation>Halo filter</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>宽高比阈值</source>
        <translation>Width to height ratio</translation>
    </message>
    <message>
        <source>无</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>最大宽度</source>
        <translation>Max width</translation>
    </message>
    <message>
        <source>最小宽度</source>
        <translation>Min width</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>User-defined</translation>
    </message>
    <message>
        <source>过滤选择</source>
        <translation>Filter selection</translation>
    </message>
</context>
<context>
    <name>HeightView</name>
    <message>
        <source>3d模型</source>
        <translation>3D model</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>X轴放大</source>
        <translation>Zoom in X</translation>
    </message>
    <message>
        <source>X轴缩小</source>
        <translation>Zoom out X</translation>
    </message>
    <message>
        <source>Z轴放大</source>
        <translation>Zoom in Z</translation>
    </message>
    <message>
        <source>Z轴缩小</source>
        <translation>Zoom out Z</translation>
    </message>
    <message>
        <source>csv高度数据(毫米) (*.csv);;csv高度数据带行号(毫米) (*.row_csv);;tif数据 (*.tif);;定制tif数据 (*.customized.tif);;tiff数据 (*.tiff);;pcd点云数据 (*.pcd);;ascii_pcd点云数据 (*.ascii_pcd);;ply点云数据 (*.ply);;ascii_ply点云数据 (*.ascii_ply);;txt点云数据 (*.txt);;txt点云数据-使用点间距 (*.ypitch_txt)</source>
        <translation>csv height data(mm) (*.csv);;csv height data with row numbers(mm) (*.row_csv);;tif data (*.tif);;customized tif data (*.customized.tif);;tiff data (*.tiff);;pcd cloud data (*.pcd);;ascii_pcd cloud data (*.ascii_pcd);;ply cloud data (*.ply);;ascii_ply cloud data (*.ascii_ply);;txt cloud data (*.txt);;txt cloud data - using the point pitch (*.ypitch_txt)</translation>
    </message>
    <message>
        <source>保存高度数据(毫米)</source>
        <translation>Save height data(mm)</translation>
    </message>
    <message>
        <source>导出csv,tiff,pcd,ply</source>
        <translation>Export csv,tiff,pcd,ply</translation>
    </message>
    <message>
        <source>导出失败!</source>
        <translation>Export failed!</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>横光标</source>
        <translation>Horizontal cursors</translation>
    </message>
    <message>
        <source>没有开启批处理!</source>
        <translation>Batch not enabled!</translation>
    </message>
    <message>
        <source>没有数据!</source>
        <translation>No data!</translation>
    </message>
    <message>
        <source>选择双光标</source>
        <translation>Dual cursors</translation>
    </message>
    <message>
        <source>重置XZ轴</source>
        <translation>Reset X and Z axes</translation>
    </message>
    <message>
        <source>隐藏光标</source>
        <translation>Hide cursors</translation>
    </message>
    <message>
        <source>高度范围设置</source>
        <translation>Height range setting</translation>
    </message>
    <message>
        <source>文件类型未知：请选择一种文件类型或输入其扩展名</source>
        <translation>Unknown file type: choose a file type or type its extension</translation>
    </message>
    <message>
        <source>tif精度为0，请在高度范围设置中修改</source>
        <translation>The TIF precision is 0: change it in the height range setting</translation>
    </message>
    <message>
        <source>轮廓输出宽度不可用</source>
        <translation>The profile output width cannot be used</translation>
    </message>
    <message>
        <source>读取传感器寄存器失败</source>
        <translation>Reading the sensor's registers failed</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>The folder does not exist</translation>
    </message>
    <message>
        <source>没有写入该文件夹的权限</source>
        <translation>No permission to write into the folder</translation>
    </message>
    <message>
        <source>无法写入文件</source>
        <translation>The file could not be written</translation>
    </message>
</context>
<context>
    <name>IOListenForm</name>
    <message>
        <source>IO输入状态</source>
        <translation>IO input state</translation>
    </message>
    <message>
        <source>批处理累计次数：</source>
        <translation>Batchtimes: </translation>
    </message>
    <message>
        <source>清理批处理和编码器的值</source>
        <translation>Clear the batch and encoder values</translation>
    </message>
    <message>
        <source>端子</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>编码器值复制到剪切板</source>
        <translation>Copy the encoder value to the clipboard</translation>
    </message>
    <message>
        <source>编码器值：</source>
        <translation>Encoder value:</translation>
    </message>
    <message>
        <source>重置编码器计数</source>
        <translation>Reset the encoder count</translation>
    </message>
</context>
<context>
    <name>ImageSettingWidget</name>
    <message>
        <source>Gamma补正</source>
        <translation>Gamma correction</translation>
    </message>
    <message>
        <source>光带展宽</source>
        <translation>Light band width</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>剔除上下边缘点</source>
        <translation>Drop up/down edge points</translation>
    </message>
    <message>
        <source>最大阈值</source>
        <translation>Max threshold</translation>
    </message>
    <message>
        <source>最小阈值</source>
        <translation>Min threshold</translation>
    </message>
    <message>
        <source>灰度图效果</source>
        <translation>Gray effect</translation>
    </message>
    <message>
        <source>灰度斜率</source>
        <translation>Gray slope</translation>
    </message>
    <message>
        <source>灰度映射</source>
        <translation>Gray map</translation>
    </message>
    <message>
        <source>灰度采样窗宽</source>
        <translation>Gray sampling width</translation>
    </message>
    <message>
        <source>灰度饱和补正</source>
        <translation>Gray saturation corr.</translation>
    </message>
    <message>
        <source>锐化</source>
        <translation>Sharpness</translation>
    </message>
    <message>
        <source>高级</source>
        <translation>Advanced</translation>
    </message>
</context>
<context>
    <name>InclineChartForm</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
</context>
<context>
    <name>InclineSetForm</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>deg</source>
        <translation>deg</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>倍</source>
        <translation>times</translation>
    </message>
    <message>
        <source>倾斜计算区域1</source>
        <translation>Tilt calc area1</translation>
    </message>
    <message>
        <source>倾斜计算区域2</source>
        <translation>Tilt calc area2</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>区域高度归零</source>
        <translation>Zero area height</translation>
    </message>
    <message>
        <source>右端</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>左端</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>当前补正角度</source>
        <translation>Current correction angle</translation>
    </message>
    <message>
        <source>当前补正高度</source>
        <translation>Current correction height</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>注册</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>补正后角度</source>
        <translation>Corrected angle</translation>
    </message>
    <message>
        <source>补正后高度</source>
        <translation>Corrected height</translation>
    </message>
    <message>
        <source>计算补正倍率</source>
        <translation>Calc correction times</translation>
    </message>
    <message>
        <source>计算补正角度</source>
        <translation>Calc correction angle</translation>
    </message>
    <message>
        <source>计算角度</source>
        <translation>Calc angle</translation>
    </message>
    <message>
        <source>计算高度</source>
        <translation>Calc height</translation>
    </message>
    <message>
        <source>轮廓设定 - 设置倾斜补正</source>
        <translation>Profile setting - Tilt corr.</translation>
    </message>
    <message>
        <source>轮廓设定 - 设置高度补正</source>
        <translation>Profile setting - Height corr.</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed!</translation>
    </message>
    <message>
        <source>高度计算区域1</source>
        <translation>Height calc area1</translation>
    </message>
    <message>
        <source>高度计算区域2</source>
        <translation>Height calc area2</translation>
    </message>
</context>
<context>
    <name>LightGrayForm</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>off</source>
        <translation>off</translation>
    </message>
</context>
<context>
    <name>MeasurementCommonSettingsDlg</name>
    <message>
        <source>ENCODER最低输入时间</source>
        <translation>Encoder min input time</translation>
    </message>
    <message>
        <source>上升沿</source>
        <translation>Rising edge</translation>
    </message>
    <message>
        <source>下降沿</source>
        <translation>Falling edge</translation>
    </message>
    <message>
        <source>传感头</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>传感头信息</source>
        <translation>Sensor information</translation>
    </message>
    <message>
        <source>双向</source>
        <translation>Both</translation>
    </message>
    <message>
        <source>反向</source>
        <translation>Backward</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>批处理信号</source>
        <translation>Batch signal</translation>
    </message>
    <message>
        <source>批处理开关电平模式</source>
        <translation>Batch switch level mode</translation>
    </message>
    <message>
        <source>批处理开始延时(ms)</source>
        <translation>Batch start delay(ms)</translation>
    </message>
    <message>
        <source>批处理开始触发沿</source>
        <translation>Batch start trigger edge</translation>
    </message>
    <message>
        <source>批处理结束触发沿</source>
        <translation>Batch stop trigger edge</translation>
    </message>
    <message>
        <source>控制端子最小输入时间</source>
        <translation>Control port min input time</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>最小输入时间</source>
        <translation>Min input time</translation>
    </message>
    <message>
        <source>正向</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>编码器与端子设定</source>
        <translation>Encoder and terminal setting</translation>
    </message>
    <message>
        <source>编码器方向</source>
        <translation>Encoder direction</translation>
    </message>
    <message>
        <source>编码器超时时间(ms)</source>
        <translation>Encoder timeout(ms)</translation>
    </message>
    <message>
        <source>获取机型失败!</source>
        <translation>Getting model failed</translation>
    </message>
    <message>
        <source>追踪反向</source>
        <translation>Backward traced</translation>
    </message>
    <message>
        <source>追踪正向</source>
        <translation>Forward traced</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed!</translation>
    </message>
</context>
<context>
    <name>OutLineDeadAngleDlg</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>不改变</source>
        <translation>No changing</translation>
    </message>
    <message>
        <source>不进行补间</source>
        <translation>No repair</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>垂直补间</source>
        <translation>Vertical repair</translation>
    </message>
    <message>
        <source>改变</source>
        <translation>Changing</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>显示死角数据的方法</source>
        <translation>Dead angle display method</translation>
    </message>
    <message>
        <source>显示设定</source>
        <translation>Display setting</translation>
    </message>
    <message>
        <source>显示颜色的变更</source>
        <translation>Display color change</translation>
    </message>
    <message>
        <source>直线补间</source>
        <translation>Straight repair</translation>
    </message>
    <message>
        <source>补间处理</source>
        <translation>Repair process</translation>
    </message>
    <message>
        <source>隐藏</source>
        <translation>Hide</translation>
    </message>
</context>
<context>
    <name>OutLineSettingAdvanced</name>
    <message>
        <source>X轴中位(%1)超出范围!</source>
        <translation>X axis median (%1) out of range!</translation>
    </message>
    <message>
        <source>X轴平滑(%1)超出范围!</source>
        <translation>X axis smoothing (%1) out of range!</translation>
    </message>
    <message>
        <source>X轴间距(um)</source>
        <translation>X pitch(um)</translation>
    </message>
    <message>
        <source>Y轴中位(%1)超出范围!</source>
        <translation>Y axis median (%1) out of range!</translation>
    </message>
    <message>
        <source>Y轴平均(%1)超出范围!</source>
        <translation>Y axis average (%1) out of range!</translation>
    </message>
    <message>
        <source>上下反转</source>
        <translation>Up-down reverse</translation>
    </message>
    <message>
        <source>中位数</source>
        <translation>Median</translation>
    </message>
    <message>
        <source>传感头公共</source>
        <translation>Sensor common</translation>
    </message>
    <message>
        <source>传感头详细 </source>
        <translation>Sensor details </translation>
    </message>
    <message>
        <source>传输类型</source>
        <translation>Transfer type</translation>
    </message>
    <message>
        <source>倍</source>
        <translation>times</translation>
    </message>
    <message>
        <source>参数错误</source>
        <translation>Parameter error</translation>
    </message>
    <message>
        <source>垂直补间</source>
        <translation>Vertical repair</translation>
    </message>
    <message>
        <source>处理次数</source>
        <translation>Process count</translation>
    </message>
    <message>
        <source>左右反转</source>
        <translation>Left-right reverse</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Average</translation>
    </message>
    <message>
        <source>恢复次数</source>
        <translation>Restore count</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>数据处理</source>
        <translation>Data process</translation>
    </message>
    <message>
        <source>无效数据处理(时间轴)</source>
        <translation>Invalid data process(time axis)</translation>
    </message>
    <message>
        <source>时间轴处理次数(%1)超出范围!</source>
        <translation>Time axis process count (%1) out of range!</translation>
    </message>
    <message>
        <source>时间轴恢复次数(%1)超出范围!</source>
        <translation>Time axis restore count (%1) out of range!</translation>
    </message>
    <message>
        <source>死角数据处理</source>
        <translation>Dead angle data process</translation>
    </message>
    <message>
        <source>点云过滤</source>
        <translation>Cloud filter</translation>
    </message>
    <message>
        <source>直线补间</source>
        <translation>Straight repair</translation>
    </message>
    <message>
        <source>设为无效值</source>
        <translation>Set invalid</translation>
    </message>
    <message>
        <source>设定</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>设置倾斜补正</source>
        <translation>Tilt correction</translation>
    </message>
    <message>
        <source>设置补正</source>
        <translation>Correction setting</translation>
    </message>
    <message>
        <source>设置高度补正</source>
        <translation>Height correction</translation>
    </message>
    <message>
        <source>轮廓反转</source>
        <translation>Profile reverse</translation>
    </message>
    <message>
        <source>轮廓补正</source>
        <translation>Profile Correction</translation>
    </message>
    <message>
        <source>过滤器处理(X轴)</source>
        <translation>Filter process(X axis)</translation>
    </message>
    <message>
        <source>过滤器处理(时间轴)</source>
        <translation>Filter process(time axis)</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed!</translation>
    </message>
    <message>
        <source>高级</source>
        <translation>Advanced</translation>
    </message>
</context>
<context>
    <name>OutLineSettingWidget</name>
    <message>
        <source>上下反转</source>
        <translation>Up-down reverse</translation>
    </message>
    <message>
        <source>左右反转</source>
        <translation>Left-right reverse</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Average</translation>
    </message>
    <message>
        <source>平滑</source>
        <translation>Smooth</translation>
    </message>
    <message>
        <source>至高级设定</source>
        <translation>Advanced setting</translation>
    </message>
    <message>
        <source>轮廓反转</source>
        <translation>Profile reverse</translation>
    </message>
    <message>
        <source>过滤器处理(X轴)</source>
        <translation>Filter process(X axis)</translation>
    </message>
    <message>
        <source>过滤器处理(Y轴)</source>
        <translation>Filter process(Y axis)</translation>
    </message>
</context>
<context>
    <name>Outline25d</name>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed</translation>
    </message>
</context>
<context>
    <name>Outline25dAdvancedWidget</name>
    <message>
        <source>2.5D采样周期(us)</source>
        <translation>2.5D sampling period(us)</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>以区域1为基准</source>
        <translation>Relative to area 1</translation>
    </message>
    <message>
        <source>以区域2为基准</source>
        <translation>Relative to area 2</translation>
    </message>
    <message>
        <source>使用绝对值</source>
        <translation>Absolute value</translation>
    </message>
    <message>
        <source>保存与提示</source>
        <translation>Saving and warnings</translation>
    </message>
    <message>
        <source>保存测量值</source>
        <translation>Save measured values</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>其他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>分界基准点</source>
        <translation>Boundary reference</translation>
    </message>
    <message>
        <source>分界点停止更新高度差阈值(um)</source>
        <translation>Boundary update stop threshold(um)</translation>
    </message>
    <message>
        <source>右边</source>
        <translation>Right side</translation>
    </message>
    <message>
        <source>左边</source>
        <translation>Left side</translation>
    </message>
    <message>
        <source>找边界</source>
        <translation>Boundary search</translation>
    </message>
    <message>
        <source>提取分界点滤波窗宽</source>
        <translation>Boundary filter width</translation>
    </message>
    <message>
        <source>测量结果</source>
        <translation>Measurement result</translation>
    </message>
    <message>
        <source>测量结果%1超限</source>
        <translation>Measurement result %1 out of limits</translation>
    </message>
    <message>
        <source>测量结果上限</source>
        <translation>Result upper limit</translation>
    </message>
    <message>
        <source>测量结果下限</source>
        <translation>Result lower limit</translation>
    </message>
    <message>
        <source>测量结果超限提示</source>
        <translation>Warn beyond the limits</translation>
    </message>
    <message>
        <source>自动找边界</source>
        <translation>Auto boundary</translation>
    </message>
    <message>
        <source>自动找边界v1</source>
        <translation>Auto boundary v1</translation>
    </message>
    <message>
        <source>自动找边界v2</source>
        <translation>Auto boundary v2</translation>
    </message>
    <message>
        <source>输出一次所需计算行数</source>
        <translation>Rows computed per output</translation>
    </message>
    <message>
        <source>高度差计算方式</source>
        <translation>Height difference method</translation>
    </message>
</context>
<context>
    <name>Outline25dSettingWidget</name>
    <message>
        <source>2.5D工作模式</source>
        <translation>Enable 2.5D workmode</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>偏移(pixel)</source>
        <translation>Offset(pixel)</translation>
    </message>
    <message>
        <source>安装校准</source>
        <translation>Installation calibration</translation>
    </message>
    <message>
        <source>段差中值滤波窗口大小</source>
        <translation>Offset median filter</translation>
    </message>
    <message>
        <source>段差均值滤波窗口大小</source>
        <translation>Offset average filter</translation>
    </message>
    <message>
        <source>段差比较值(um)</source>
        <translation>Offset compared value(um)</translation>
    </message>
    <message>
        <source>测量区域1</source>
        <translation>Measurement area1</translation>
    </message>
    <message>
        <source>测量区域2</source>
        <translation>Measurement area2</translation>
    </message>
    <message>
        <source>测量参数</source>
        <translation>Measurement parameters</translation>
    </message>
    <message>
        <source>补正参考</source>
        <translation>Correction reference</translation>
    </message>
    <message>
        <source>补正系数b(um)</source>
        <translation>Correction coeff. b(um)</translation>
    </message>
    <message>
        <source>补正系数k</source>
        <translation>Correction coeff. k</translation>
    </message>
    <message>
        <source>调试模式切换失败!</source>
        <translation>Setting mode switch failed</translation>
    </message>
    <message>
        <source>起点(pixel)</source>
        <translation>Start(pixel)</translation>
    </message>
    <message>
        <source>超过比较值时的输出值(um)</source>
        <translation>Output value beyond compared(um)</translation>
    </message>
    <message>
        <source>输出数值</source>
        <translation>Output value</translation>
    </message>
    <message>
        <source>输出设定</source>
        <translation>Output setting</translation>
    </message>
    <message>
        <source>长度(pixel)</source>
        <translation>Length(pixel)</translation>
    </message>
    <message>
        <source>预校准值</source>
        <translation>Pre-calibration value</translation>
    </message>
    <message>
        <source>高級</source>
        <translation>Advanced</translation>
    </message>
</context>
<context>
    <name>Outline25dSetupWidget</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failure</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>Success</translation>
    </message>
    <message>
        <source>校准</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>校准结果</source>
        <translation>Calibration result</translation>
    </message>
    <message>
        <source>校准计算</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>直线度(um)</source>
        <translation>Straightness(um)</translation>
    </message>
    <message>
        <source>终点(pixel)</source>
        <translation>End(pixel)</translation>
    </message>
    <message>
        <source>角度(deg)</source>
        <translation>Angle(deg)</translation>
    </message>
    <message>
        <source>起点(pixel)</source>
        <translation>Start(pixel)</translation>
    </message>
    <message>
        <source>选择区域</source>
        <translation>Draw area</translation>
    </message>
</context>
<context>
    <name>OutlineChartWidget</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>X轴放大</source>
        <translation>Zoom in X</translation>
    </message>
    <message>
        <source>X轴缩小</source>
        <translation>Zoom out X</translation>
    </message>
    <message>
        <source>Z轴放大</source>
        <translation>Zoom in Z</translation>
    </message>
    <message>
        <source>Z轴缩小</source>
        <translation>Zoom out Z</translation>
    </message>
    <message>
        <source>保存轮廓(毫米)）</source>
        <translation>Save profile(mm)</translation>
    </message>
    <message>
        <source>全副图</source>
        <translation>Full image</translation>
    </message>
    <message>
        <source>区域图</source>
        <translation>Area view</translation>
    </message>
    <message>
        <source>导出csv,tiff,pcd,ply</source>
        <translation>Export csv,tiff,pcd,ply</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>数据文件保存失败!</source>
        <translation>Failed to save the data file!</translation>
    </message>
    <message>
        <source>横光标</source>
        <translation>Horizontal cursors</translation>
    </message>
    <message>
        <source>纵光标</source>
        <translation>Vertical cursors</translation>
    </message>
    <message>
        <source>轮廓</source>
        <translation>Profile</translation>
    </message>
    <message>
        <source>轮廓数据(毫米) (*.csv)</source>
        <translation>Profile data(mm) (*.csv)</translation>
    </message>
    <message>
        <source>选择双光标</source>
        <translation>Dual cursors</translation>
    </message>
    <message>
        <source>重置XZ轴</source>
        <translation>Reset X and Z axes</translation>
    </message>
    <message>
        <source>隐藏光标</source>
        <translation>Hide cursors</translation>
    </message>
    <message>
        <source>高度图</source>
        <translation>Height map</translation>
    </message>
</context>
<context>
    <name>OutputSettingWidget</name>
    <message>
        <source>DB编号</source>
        <translation>DB number</translation>
    </message>
    <message>
        <source>PLC协议类型</source>
        <translation>PLC protocol</translation>
    </message>
    <message>
        <source>PLC端口</source>
        <translation>PLC port</translation>
    </message>
    <message>
        <source>主从模式</source>
        <translation>Master/slave mode</translation>
    </message>
    <message>
        <source>主站</source>
        <translation>Master</translation>
    </message>
    <message>
        <source>从站</source>
        <translation>Slave</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>区域1值</source>
        <translation>Area 1 value</translation>
    </message>
    <message>
        <source>区域2值</source>
        <translation>Area 2 value</translation>
    </message>
    <message>
        <source>存储区</source>
        <translation>Memory area</translation>
    </message>
    <message>
        <source>已连接</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>数据类型</source>
        <translation>Data type</translation>
    </message>
    <message>
        <source>数据访问</source>
        <translation>Data access</translation>
    </message>
    <message>
        <source>断开</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>本地TSAP</source>
        <translation>Local TSAP</translation>
    </message>
    <message>
        <source>本地节点</source>
        <translation>Local node</translation>
    </message>
    <message>
        <source>段差值</source>
        <translation>Offset value</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>测量值(%1)</source>
        <translation>Measured value(%1)</translation>
    </message>
    <message>
        <source>硬件版本不支持Modbus RTU (%1)</source>
        <translation>The hardware version does not support Modbus RTU (%1)</translation>
    </message>
    <message>
        <source>站号</source>
        <translation>Station No.</translation>
    </message>
    <message>
        <source>访问地址</source>
        <translation>Access address</translation>
    </message>
    <message>
        <source>输出数值</source>
        <translation>Output value</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>连接状态</source>
        <translation>Connection state</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed</translation>
    </message>
</context>
<context>
    <name>PeakSettingWidget</name>
    <message>
        <source>不输出</source>
        <translation>None</translation>
    </message>
    <message>
        <source>不限制</source>
        <translation>Unlimited</translation>
    </message>
    <message>
        <source>修复选择</source>
        <translation>Repair method</translation>
    </message>
    <message>
        <source>修复阈值</source>
        <translation>Repair threshold</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>向右修复优先</source>
        <translation>To right first</translation>
    </message>
    <message>
        <source>向左修复优先</source>
        <translation>To left first</translation>
    </message>
    <message>
        <source>唯一</source>
        <translation>Unique</translation>
    </message>
    <message>
        <source>唯一高阈值</source>
        <translation>Unique high</translation>
    </message>
    <message>
        <source>多峰选择连续模式</source>
        <translation>Peak select continous mode</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>最大优先</source>
        <translation>Max first</translation>
    </message>
    <message>
        <source>未修复点回填选择</source>
        <translation>Unrepaired points filling selection</translation>
    </message>
    <message>
        <source>近端优先</source>
        <translation>Near first</translation>
    </message>
    <message>
        <source>远端优先</source>
        <translation>Far first</translation>
    </message>
    <message>
        <source>连续判断采样窗宽</source>
        <translation>Cont. judge sampling width</translation>
    </message>
    <message>
        <source>连续阈值</source>
        <translation>Continous threshold</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed</translation>
    </message>
    <message>
        <source>高阈值</source>
        <translation>High threshold</translation>
    </message>
</context>
<context>
    <name>QtLineLaserClient</name>
    <message>
        <source>%1固件升級失败! 请勿断电或重启，然后尝试再次升级</source>
        <translation>%1 firmware upgrade failed! Do not power off or restart, then try to upgrade again</translation>
    </message>
    <message>
        <source>%1固件升级中，请勿断电或重启</source>
        <translation>Upgrading %1 firmware, do not power off or restart</translation>
    </message>
    <message>
        <source>%1固件版本不兼容 (%2.%3)</source>
        <translation>%1 firmware version incompatible (%2.%3)</translation>
    </message>
    <message>
        <source>%1固件版本号相同，是否跳过？</source>
        <translation>%1 firmware version is the same. Skip it?</translation>
    </message>
    <message>
        <source>3D轮廓测量传感器软件</source>
        <translation>3D Profile Sensor Software</translation>
    </message>
    <message>
        <source>Mirevo与控制器断开，请确认连接或通信设定后重试</source>
        <translation>Disconnected from sensor. Please confirm the connection or communication setting to retry</translation>
    </message>
    <message>
        <source>waiting</source>
        <translation>waiting</translation>
    </message>
    <message>
        <source>传感器</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>传感头切换</source>
        <translation>Sensor head switch</translation>
    </message>
    <message>
        <source>传感头切换失败</source>
        <translation>Sensor head switch failed</translation>
    </message>
    <message>
        <source>传感头切换成功</source>
        <translation>Sensor head switched successfully</translation>
    </message>
    <message>
        <source>保存参数失败!</source>
        <translation>Saving settings failed!</translation>
    </message>
    <message>
        <source>升級</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>升级</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>升级包(*.zpf)</source>
        <translation>Upgrade package(*.zpf)</translation>
    </message>
    <message>
        <source>升级包校验失败!</source>
        <translation>Upgrade package verification failed!</translation>
    </message>
    <message>
        <source>升级已完成</source>
        <translation>Upgrade completed</translation>
    </message>
    <message>
        <source>升级正在进行中!</source>
        <translation>Upgrade is going on!</translation>
    </message>
    <message>
        <source>参数比较</source>
        <translation>Compare settings</translation>
    </message>
    <message>
        <source>参数比较 - 设定文件1</source>
        <translation>Compare settings - Settings file 1</translation>
    </message>
    <message>
        <source>参数比较 - 设定文件2</source>
        <translation>Compare settings - Settings file 2</translation>
    </message>
    <message>
        <source>参数比较结果已保存到 %1</source>
        <translation>The comparison was saved to %1</translation>
    </message>
    <message>
        <source>参数设定导入中</source>
        <translation>Importing settings</translation>
    </message>
    <message>
        <source>参数设定导入失败!</source>
        <translation>Importing settings failed!</translation>
    </message>
    <message>
        <source>参数设定导入完成</source>
        <translation>Settings imported</translation>
    </message>
    <message>
        <source>参数设定导出中</source>
        <translation>Exporting settings</translation>
    </message>
    <message>
        <source>参数设定导出失败!</source>
        <translation>Exporting settings failed!</translation>
    </message>
    <message>
        <source>参数设定导出完成</source>
        <translation>Settings exported</translation>
    </message>
    <message>
        <source>参数重置失败! 请连接后手动恢复出厂设置</source>
        <translation>Settings reset failed! Please connect and restore the factory settings by hand</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>Firmware upgrade</translation>
    </message>
    <message>
        <source>复位</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>已连接 %1</source>
        <translation>Connected %1</translation>
    </message>
    <message>
        <source>当前批处理行数：</source>
        <translation>Batch rows: </translation>
    </message>
    <message>
        <source>批处理累计次数：</source>
        <translation>Batchtimes: </translation>
    </message>
    <message>
        <source>控制器</source>
        <translation>Controller</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>未连接传感器!</source>
        <translation>Not connected to sensor!</translation>
    </message>
    <message>
        <source>激光头固件升級失败! 请勿断电或重启，然后尝试再次升级</source>
        <translation>Laser head firmware upgrade failed! Do not power off or restart, then try to upgrade again</translation>
    </message>
    <message>
        <source>激光头固件升级中，请勿断电或重启</source>
        <translation>Upgrading laser head firmware, do not power off or restart</translation>
    </message>
    <message>
        <source>激光头固件版本不兼容 (%1)</source>
        <translation>Laser head firmware version incompatible (%1)</translation>
    </message>
    <message>
        <source>激光头固件版本号相同，是否跳过？</source>
        <translation>Laser head firmware version is the same. Skip it?</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>确定要升级固件吗？</source>
        <translation>Upgrade the firmware?</translation>
    </message>
    <message>
        <source>确定重启传感器吗？</source>
        <translation>Restart the sensor?</translation>
    </message>
    <message>
        <source>编码器速度过快</source>
        <translation>Encoder speed too high</translation>
    </message>
    <message>
        <source>获取机型失败!</source>
        <translation>Getting model failed</translation>
    </message>
    <message>
        <source>获取版本号失败!</source>
        <translation>Getting version failed!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>设定文件(*.zps)</source>
        <translation>Settings file(*.zps)</translation>
    </message>
    <message>
        <source>设定文件保存失败!</source>
        <translation>Saving the settings file failed!</translation>
    </message>
    <message>
        <source>设定文件校验失败!</source>
        <translation>Settings file verification failed!</translation>
    </message>
    <message>
        <source>请先连接传感器!</source>
        <translation>Please connect a sensor first!</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>连接传感器失败!</source>
        <translation>Connecting the sensor failed!</translation>
    </message>
    <message>
        <source>连接失败! 请检查线缆连接后手动恢复出厂设置</source>
        <translation>Connecting failed! Please check the cables and restore the factory settings by hand</translation>
    </message>
    <message>
        <source>连接激光头失败 (%1)，请检查线缆连接后重试</source>
        <translation>Failed to connect the laser head (%1), please check the cables and retry</translation>
    </message>
    <message>
        <source>选择升级包</source>
        <translation>Select upgrade package</translation>
    </message>
    <message>
        <source>通信配置不正确!</source>
        <translation>Incorrect communication settings!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>QtLineLaserClientClass</name>
    <message>
        <source>--</source>
        <translation>--</translation>
    </message>
    <message>
        <source>3D轮廓测量传感器软件</source>
        <translation>3D Profile Sensor Software</translation>
    </message>
    <message>
        <source>3d图</source>
        <translation>3D view</translation>
    </message>
    <message>
        <source>3d测量</source>
        <translation>3D measure</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>QT</source>
        <translation>QT</translation>
    </message>
    <message>
        <source>SDK:0.0.0.0</source>
        <translation>SDK:0.0.0.0</translation>
    </message>
    <message>
        <source>background-color: #FFC4C4C4;</source>
        <translation>background-color: #FFC4C4C4;</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>Chinese</translation>
    </message>
    <message>
        <source>传感头1</source>
        <translation>Sensor head 1</translation>
    </message>
    <message>
        <source>传感头2</source>
        <translation>Sensor head 2</translation>
    </message>
    <message>
        <source>传感头3</source>
        <translation>Sensor head 3</translation>
    </message>
    <message>
        <source>传感头4</source>
        <translation>Sensor head 4</translation>
    </message>
    <message>
        <source>修改传感器IP</source>
        <translation>Modify sensor IP</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>升级固件</source>
        <translation>Upgrade firmware</translation>
    </message>
    <message>
        <source>参数导入</source>
        <translation>Import settings</translation>
    </message>
    <message>
        <source>参数导出</source>
        <translation>Export settings</translation>
    </message>
    <message>
        <source>参数比较</source>
        <translation>Compare settings</translation>
    </message>
    <message>
        <source>复位</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>实时设定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>开始监控</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>Display</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>未连接...</source>
        <translation>Not connected...</translation>
    </message>
    <message>
        <source>清除缓存</source>
        <translation>Clear cache</translation>
    </message>
    <message>
        <source>程序设定</source>
        <translation>Programs</translation>
    </message>
    <message>
        <source>设定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>轮廓</source>
        <translation>Profile</translation>
    </message>
    <message>
        <source>轮廓窗口</source>
        <translation>Profile window</translation>
    </message>
    <message>
        <source>输入触发</source>
        <translation>Input trigger</translation>
    </message>
    <message>
        <source>输出窗口</source>
        <translation>Output window</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>连接传感器</source>
        <translation>Connect sensor</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>选择程序NO.0</source>
        <translation>Program NO.0</translation>
    </message>
    <message>
        <source>选择程序NO.1</source>
        <translation>Program NO.1</translation>
    </message>
    <message>
        <source>选择程序NO.2</source>
        <translation>Program NO.2</translation>
    </message>
    <message>
        <source>选择程序NO.3</source>
        <translation>Program NO.3</translation>
    </message>
    <message>
        <source>选择程序NO.4</source>
        <translation>Program NO.4</translation>
    </message>
    <message>
        <source>选择程序NO.5</source>
        <translation>Program NO.5</translation>
    </message>
    <message>
        <source>选择程序NO.6</source>
        <translation>Program NO.6</translation>
    </message>
    <message>
        <source>选择程序NO.7</source>
        <translation>Program NO.7</translation>
    </message>
    <message>
        <source>高度图</source>
        <translation>Height map</translation>
    </message>
    <message>
        <source>高度图窗口</source>
        <translation>Height map window</translation>
    </message>
</context>
<context>
    <name>RealTimeSettingDlg</name>
    <message>
        <source>2.5D设定</source>
        <translation>2.5D setting</translation>
    </message>
    <message>
        <source>保存到传感器</source>
        <translation>Save to sensor</translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>Save file</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>实时设定编辑</source>
        <translation>Realtime setting</translation>
    </message>
    <message>
        <source>开始批处理</source>
        <translation>Start batch</translation>
    </message>
    <message>
        <source>批处理时间：</source>
        <translation>Batch time: </translation>
    </message>
    <message>
        <source>批处理设定:OFF</source>
        <translation>Batch status:OFF</translation>
    </message>
    <message>
        <source>批处理设定：OFF</source>
        <translation>Batch status: OFF</translation>
    </message>
    <message>
        <source>批处理设定：ON</source>
        <translation>Batch status: ON</translation>
    </message>
    <message>
        <source>拍摄设定</source>
        <translation>Capture</translation>
    </message>
    <message>
        <source>测量公共设定</source>
        <translation>Common</translation>
    </message>
    <message>
        <source>端子</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>触发模式:连续触发</source>
        <translation>Trigger mode:Continous trigger</translation>
    </message>
    <message>
        <source>触发模式：外部触发</source>
        <translation>Trigger mode: External trigger</translation>
    </message>
    <message>
        <source>触发模式：编码器触发</source>
        <translation>Trigger mode: Encoder trigger</translation>
    </message>
    <message>
        <source>触发模式：连续触发</source>
        <translation>Trigger mode: Continous trigger</translation>
    </message>
    <message>
        <source>触发设定</source>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>轮廓设定</source>
        <translation>Profile</translation>
    </message>
    <message>
        <source>输出设定</source>
        <translation>Output setting</translation>
    </message>
    <message>
        <source>采样周期:1KH</source>
        <translation>Sample freq:1KH</translation>
    </message>
    <message>
        <source>采样频率：</source>
        <translation>Sample freq: </translation>
    </message>
    <message>
        <source>高级</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>高级设定</source>
        <translation>Advanced setting</translation>
    </message>
</context>
<context>
    <name>RoiSettingWidget</name>
    <message>
        <source>X ROI设定失败</source>
        <translation>Setting the X ROI failed</translation>
    </message>
    <message>
        <source>上</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>下</source>
        <translation>Bottom</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>右</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>恢复区域</source>
        <translation>Restore area</translation>
    </message>
    <message>
        <source>选择区域</source>
        <translation>Draw area</translation>
    </message>
</context>
<context>
    <name>SupperSettingsDialog</name>
    <message>
        <source>B头X方向补偿</source>
        <translation>Head B X offset</translation>
    </message>
    <message>
        <source>B头Z方向补偿</source>
        <translation>Head B Z offset</translation>
    </message>
    <message>
        <source>Debug模式</source>
        <translation>Debug mode</translation>
    </message>
    <message>
        <source>Flash导出</source>
        <translation>Flash export</translation>
    </message>
    <message>
        <source>Y轴分段</source>
        <translation>Y segments</translation>
    </message>
    <message>
        <source>Z分辨率(um)</source>
        <translation>Z resolution(um)</translation>
    </message>
    <message>
        <source>Z基准(um)</source>
        <translation>Z reference(um)</translation>
    </message>
    <message>
        <source>Z最大</source>
        <translation>Z max</translation>
    </message>
    <message>
        <source>Z最小</source>
        <translation>Z min</translation>
    </message>
    <message>
        <source>x偏移量</source>
        <translation>x offset</translation>
    </message>
    <message>
        <source>z偏移量</source>
        <translation>z offset</translation>
    </message>
    <message>
        <source>亮度补偿上限</source>
        <translation>Light offset upper limit</translation>
    </message>
    <message>
        <source>低灰度阈值</source>
        <translation>Low gray threshold</translation>
    </message>
    <message>
        <source>保存原始图</source>
        <translation>Save raw images</translation>
    </message>
    <message>
        <source>保存调试数据</source>
        <translation>Save debug data</translation>
    </message>
    <message>
        <source>其他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>区域连通</source>
        <translation>Connected areas</translation>
    </message>
    <message>
        <source>单头数据有效时输出</source>
        <translation>One head valid: output</translation>
    </message>
    <message>
        <source>双头</source>
        <translation>Dual head</translation>
    </message>
    <message>
        <source>双头数据均有效时高度差内输出</source>
        <translation>Both valid, within: output</translation>
    </message>
    <message>
        <source>双头数据均有效时高度差外输出</source>
        <translation>Both valid, beyond: output</translation>
    </message>
    <message>
        <source>双头点云对齐</source>
        <translation>Dual head cloud alignment</translation>
    </message>
    <message>
        <source>双头高度差阈值</source>
        <translation>Height difference threshold</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>后续帧超时时间(ms)</source>
        <translation>Next frame timeout(ms)</translation>
    </message>
    <message>
        <source>启用</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>块数</source>
        <translation>Blocks</translation>
    </message>
    <message>
        <source>基准参数</source>
        <translation>Reference values</translation>
    </message>
    <message>
        <source>多峰均值阈值(438)</source>
        <translation>Multi-peak mean threshold(438)</translation>
    </message>
    <message>
        <source>多峰极差阈值(439)</source>
        <translation>Multi-peak range threshold(439)</translation>
    </message>
    <message>
        <source>多峰选择模式</source>
        <translation>Multi-peak selection mode</translation>
    </message>
    <message>
        <source>容量限制</source>
        <translation>Size limit</translation>
    </message>
    <message>
        <source>寄存器</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>对象</source>
        <translation>Object</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>平均值</source>
        <translation>Average</translation>
    </message>
    <message>
        <source>开启设置优化</source>
        <translation>Settings optimization</translation>
    </message>
    <message>
        <source>开运算</source>
        <translation>Opening</translation>
    </message>
    <message>
        <source>开运算窗口尺寸</source>
        <translation>Opening window size</translation>
    </message>
    <message>
        <source>快速响应模式</source>
        <translation>High speed mode</translation>
    </message>
    <message>
        <source>批处理回调</source>
        <translation>Batch callback</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>Receive</translation>
    </message>
    <message>
        <source>控制器</source>
        <translation>Controller</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>数据导出中</source>
        <translation>Exporting data</translation>
    </message>
    <message>
        <source>数据导出失败!</source>
        <translation>Data export failed!</translation>
    </message>
    <message>
        <source>数据导出完成</source>
        <translation>Data exported</translation>
    </message>
    <message>
        <source>数据文件(*.dat)</source>
        <translation>Data file(*.dat)</translation>
    </message>
    <message>
        <source>数据文件保存失败!</source>
        <translation>Failed to save the data file!</translation>
    </message>
    <message>
        <source>数量</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>无效值</source>
        <translation>Invalid value</translation>
    </message>
    <message>
        <source>曝光时间(us)</source>
        <translation>Exposure time(us)</translation>
    </message>
    <message>
        <source>有效值</source>
        <translation>Valid value</translation>
    </message>
    <message>
        <source>未连接传感器!</source>
        <translation>Not connected to sensor!</translation>
    </message>
    <message>
        <source>标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>正常模式</source>
        <translation>Normal mode</translation>
    </message>
    <message>
        <source>段截止行号</source>
        <translation>Segment end row</translation>
    </message>
    <message>
        <source>段选择</source>
        <translation>Segment</translation>
    </message>
    <message>
        <source>滤波窗口尺寸(pixel)</source>
        <translation>Filter window size(pixel)</translation>
    </message>
    <message>
        <source>点</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>缓存</source>
        <translation>Buffer</translation>
    </message>
    <message>
        <source>胶钉</source>
        <translation>Glue pin</translation>
    </message>
    <message>
        <source>获取扩展配置失败!</source>
        <translation>Failed to get extend conf!</translation>
    </message>
    <message>
        <source>设定</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>起始地址</source>
        <translation>Start address</translation>
    </message>
    <message>
        <source>起始帧超时时间(ms)</source>
        <translation>First frame timeout(ms)</translation>
    </message>
    <message>
        <source>超时回调类型</source>
        <translation>Timeout callback type</translation>
    </message>
    <message>
        <source>转为无效数据</source>
        <translation>As invalid</translation>
    </message>
    <message>
        <source>轮廓输出宽度(0-不限制)</source>
        <translation>Output width(0: unlimited)</translation>
    </message>
    <message>
        <source>较大值</source>
        <translation>Larger value</translation>
    </message>
    <message>
        <source>较小值</source>
        <translation>Smaller value</translation>
    </message>
    <message>
        <source>输出级别</source>
        <translation>Output level</translation>
    </message>
    <message>
        <source>运行日志</source>
        <translation>Run log</translation>
    </message>
    <message>
        <source>运行模式</source>
        <translation>Run mode</translation>
    </message>
    <message>
        <source>近端</source>
        <translation>Near</translation>
    </message>
    <message>
        <source>远端</source>
        <translation>Far</translation>
    </message>
    <message>
        <source>连续</source>
        <translation>Continous</translation>
    </message>
    <message>
        <source>连续 - 最大</source>
        <translation>Cont. - Max</translation>
    </message>
    <message>
        <source>连续 - 近端</source>
        <translation>Cont. - Near</translation>
    </message>
    <message>
        <source>连续 - 远端</source>
        <translation>Cont. - Far</translation>
    </message>
    <message>
        <source>连通区域面积阈值</source>
        <translation>Connected area threshold</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>顶盖</source>
        <translation>Top cover</translation>
    </message>
    <message>
        <source>高度差低阈值(0.01um)</source>
        <translation>Low threshold(0.01um)</translation>
    </message>
    <message>
        <source>高度差高阈值(0.01um)</source>
        <translation>High threshold(0.01um)</translation>
    </message>
    <message>
        <source>高度过滤</source>
        <translation>Height filter</translation>
    </message>
    <message>
        <source>高灰度阈值</source>
        <translation>High gray threshold</translation>
    </message>
    <message>
        <source>高级设置</source>
        <translation>Advanced setting</translation>
    </message>
</context>
<context>
    <name>TiggerSettingWidget</name>
    <message>
        <source>1相1递增</source>
        <translation>1 Phase 1 Times</translation>
    </message>
    <message>
        <source>2相1递增</source>
        <translation>2 Phase 1 Times</translation>
    </message>
    <message>
        <source>2相2递增</source>
        <translation>2 Phase 2 Times</translation>
    </message>
    <message>
        <source>2相4递增</source>
        <translation>2 Phase 4 Times</translation>
    </message>
    <message>
        <source>不使用</source>
        <translation>Disabled</translation>
    </message>
    <message>
        <source>主从交替-主机模式</source>
        <translation>Master slave alternate - Master mode</translation>
    </message>
    <message>
        <source>主从交替-交替模式</source>
        <translation>Master slave alternate - Alternate mode</translation>
    </message>
    <message>
        <source>主从交替-同主模式</source>
        <translation>Master slave alternate - Same master mode</translation>
    </message>
    <message>
        <source>主从同步-主机模式</source>
        <translation>Master slave sync - Master mode</translation>
    </message>
    <message>
        <source>主从同步-从机模式</source>
        <translation>Master slave sync - slave mode</translation>
    </message>
    <message>
        <source>主机</source>
        <translation>Master</translation>
    </message>
    <message>
        <source>主机交替</source>
        <translation>Master alternate</translation>
    </message>
    <message>
        <source>主机同步</source>
        <translation>Master sync</translation>
    </message>
    <message>
        <source>亮度图</source>
        <translation>Light view</translation>
    </message>
    <message>
        <source>从机</source>
        <translation>Slave</translation>
    </message>
    <message>
        <source>从机交替</source>
        <translation>Slave alternate</translation>
    </message>
    <message>
        <source>从机同步</source>
        <translation>Slave sync</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>单帧模式</source>
        <translation>Single frame mode</translation>
    </message>
    <message>
        <source>只限轮廓</source>
        <translation>Only profile</translation>
    </message>
    <message>
        <source>同步功能</source>
        <translation>Sync function</translation>
    </message>
    <message>
        <source>复数控制器同步</source>
        <translation>Complex controller sync</translation>
    </message>
    <message>
        <source>开启</source>
        <translation>On</translation>
    </message>
    <message>
        <source>开启批处理</source>
        <translation>Enable batch</translation>
    </message>
    <message>
        <source>批处理点数</source>
        <translation>Batch points</translation>
    </message>
    <message>
        <source>批处理设定</source>
        <translation>Batch setting</translation>
    </message>
    <message>
        <source>批处理输出</source>
        <translation>Batch output</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>Display</translation>
    </message>
    <message>
        <source>最大采样频率</source>
        <translation>Max freq</translation>
    </message>
    <message>
        <source>点</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>细化点数</source>
        <translation>Refinement points</translation>
    </message>
    <message>
        <source>编码器触发</source>
        <translation>Encoder trigger</translation>
    </message>
    <message>
        <source>自定义采样频率</source>
        <translation>User-defined freq</translation>
    </message>
    <message>
        <source>触发模式</source>
        <translation>Trigger mode</translation>
    </message>
    <message>
        <source>触发设定</source>
        <translation>Trigger setting</translation>
    </message>
    <message>
        <source>触发间隔</source>
        <translation>Trigger interval</translation>
    </message>
    <message>
        <source>轮廓+亮度</source>
        <translation>Profile+Light</translation>
    </message>
    <message>
        <source>轮廓图</source>
        <translation>Profile view</translation>
    </message>
    <message>
        <source>输入模式</source>
        <translation>Input mode</translation>
    </message>
    <message>
        <source>连续触发</source>
        <translation>Continous trigger</translation>
    </message>
    <message>
        <source>通信失败!</source>
        <translation>Communication failed!</translation>
    </message>
</context>
<context>
    <name>VtkDialog</name>
    <message>
        <source>3D点云</source>
        <translation>3D pointcloud</translation>
    </message>
</context>
<context>
    <name>WaitLoadingDialog</name>
    <message>
        <source>请稍候...</source>
        <translation>Please wait...</translation>
    </message>
</context>
<context>
    <name>WaitLoadingDialogClass</name>
    <message>
        <source>WaitLoadingDialog</source>
        <translation>WaitLoadingDialog</translation>
    </message>
</context>
<context>
    <name>qt_dialogClass</name>
    <message>
        <source>关于qt5.12</source>
        <translation>About qt5.12</translation>
    </message>
</context>
<context>
    <name>select_vtk_dialg</name>
    <message>
        <source>D3D渲染模式</source>
        <translation>D3D render mode</translation>
    </message>
    <message>
        <source>Z轴</source>
        <translation>Z axis</translation>
    </message>
    <message>
        <source>Z轴高度倍数</source>
        <translation>Z axis height scale times</translation>
    </message>
    <message>
        <source>xy轴缩放比例</source>
        <translation>XY axises scale ratio</translation>
    </message>
    <message>
        <source>优化</source>
        <translation>Optimization</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>开启优化</source>
        <translation>Enable optimization</translation>
    </message>
    <message>
        <source>最小连续点数</source>
        <translation>Min continous points</translation>
    </message>
    <message>
        <source>标准差系数</source>
        <translation>Standard deviation factor</translation>
    </message>
    <message>
        <source>模型</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>清除半径</source>
        <translation>Clear radius</translation>
    </message>
    <message>
        <source>点云</source>
        <translation>Pointcloud</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>精细</source>
        <translation>Refinement</translation>
    </message>
    <message>
        <source>补间点数</source>
        <translation>Repair points</translation>
    </message>
    <message>
        <source>近临点数</source>
        <translation>Near points</translation>
    </message>
    <message>
        <source>重置</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>高度容差</source>
        <translation>Height tolerance</translation>
    </message>
</context>
<context>
    <name>showfullimg</name>
    <message>
        <source>X:%1 灰度:%2</source>
        <translation>X:%1 Gray:%2</translation>
    </message>
</context>
<context>
    <name>version_dialog</name>
    <message>
        <source>软件版本</source>
        <translation>Software version</translation>
    </message>
</context>
<context>
    <name>version_dialogClass</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
</context>
</TS>
