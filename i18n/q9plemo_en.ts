<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>DialogTemplate</name>
    <message>
        <source>开始转换</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>停止转换</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Q9软件、游戏、高清晰电影、壁纸下载</source>
        <translation>Q9 software, games, HD films, wallpapers</translation>
    </message>
    <message>
        <source>暂停转换</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>常规设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>输出格式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>分辨率</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>帧速度</source>
        <translation>FPS</translation>
    </message>
    <message>
        <source>编码率</source>
        <translation>Bitrate</translation>
    </message>
    <message>
        <source>添加文件</source>
        <translation>Add files</translation>
    </message>
    <message>
        <source>删除文件</source>
        <translation>Remove files</translation>
    </message>
    <message>
        <source>Q9疑难搜索</source>
        <translation>Q9 help search</translation>
    </message>
    <message>
        <source>可选参数调整</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>保存路径</source>
        <translation>Save to</translation>
    </message>
    <message>
        <source>打开完成的文件</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>转换进度</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>Q9搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>转换后文件的保存路径</source>
        <translation>Output folder</translation>
    </message>
    <message>
        <source>保存设置</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>重新选择</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>该分区剩余空间</source>
        <translation>Free space</translation>
    </message>
    <message>
        <source>Q9Plemo 【免费绿色软件】</source>
        <translation>Q9Plemo [free software]</translation>
    </message>
    <message>
        <source>Q9Plemo设置</source>
        <translation>Q9Plemo settings</translation>
    </message>
    <message>
        <source>[%1 %2]出品    [Q9Plemo  支持文件拖拽方式添加需要转换的文件]</source>
        <translation>[%1 %2]    [Q9Plemo  drop files on the window to add them]</translation>
    </message>
    <message>
        <source>文件列表</source>
        <translation>File list</translation>
    </message>
    <message>
        <source>横幅：Q9Plemo 手机视频转换</source>
        <translation>Banner: Q9Plemo, video converter for phones</translation>
    </message>
    <message>
        <source>输出文件命名</source>
        <translation>Names</translation>
    </message>
    <message>
        <source>画面比例</source>
        <translation>Shape</translation>
    </message>
    <message>
        <source>大小限制</source>
        <translation>Max size</translation>
    </message>
</context>
<context>
    <name>FailureDetails</name>
    <message>
        <source>无法启动</source>
        <translation>could not start</translation>
    </message>
    <message>
        <source>停滞，已被终止</source>
        <translation>stalled, killed</translation>
    </message>
    <message>
        <source>退出码 %1</source>
        <translation>exit code %1</translation>
    </message>
    <message>
        <source>被信号终止</source>
        <translation>killed by a signal</translation>
    </message>
    <message>
        <source>命令行：
%1

退出状态：%2

最后的输出：
%3</source>
        <translation>Command line:
%1

Exit status: %2

Last output:
%3</translation>
    </message>
</context>
<context>
    <name>FileListView</name>
    <message>
        <source>文件名</source>
        <translation>File</translation>
    </message>
    <message>
        <source>播放时间</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>编码</source>
        <translation>Codec</translation>
    </message>
    <message>
        <source>分辨率</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>帧率</source>
        <translation>Rate</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>Number</translation>
    </message>
</context>
<context>
    <name>MainDialog</name>
    <message>
        <source>本软件是专为Q9手机操作系统设计的视频转换软件，完全兼容RM、RMVB、AVI等主流视频输入文件。</source>
        <translation>A video converter made for the Q9 phone. It reads RM, RMVB, AVI and the other common video files.</translation>
    </message>
    <message>
        <source>【支持Q9手机720X480分辨率2000比特率的高清晰视频输出要求】</source>
        <translation>[HD video for the Q9 phone: 720x480, bitrate 2000]</translation>
    </message>
    <message>
        <source>【%1 出品】</source>
        <translation>[Made by %1]</translation>
    </message>
    <message>
        <source>请先在左边方框中输入问题描述或关键字</source>
        <translation>Type a question or keywords into the box on the left first.</translation>
    </message>
    <message>
        <source>打开文件夹发声音外错误，请重新运行Q9Plemo</source>
        <translation>The folder could not be opened. Please start Q9Plemo again.</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>支持的视频格式</source>
        <translation>Video files</translation>
    </message>
    <message>
        <source>所有文件</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>请选视频影音文件</source>
        <translation>Choose video files</translation>
    </message>
    <message>
        <source>正在转换文件。退出将停止转换，未完成的文件会被删除。
确定要退出吗？</source>
        <translation>Files are being converted. Exiting stops the conversion and deletes the unfinished file.
Exit anyway?</translation>
    </message>
    <message>
        <source>一次最多添加 %1 个文件，其余的文件没有添加。</source>
        <translation>At most %1 files are added at once; the rest were not added.</translation>
    </message>
    <message>
        <source>不限</source>
        <translation>No limit</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>是(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>否(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>Notification</name>
    <message>
        <source>%1 个文件已转换，%2 个失败</source>
        <translation>%1 file(s) converted, %2 failed</translation>
    </message>
    <message>
        <source>%1 个文件已转换</source>
        <translation>%1 file(s) converted</translation>
    </message>
    <message>
        <source>Q9Plemo：转换完成</source>
        <translation>Q9Plemo: conversion finished</translation>
    </message>
    <message>
        <source>Q9Plemo：转换结束</source>
        <translation>Q9Plemo: conversion ended</translation>
    </message>
</context>
<context>
    <name>OutputReport</name>
    <message>
        <source>无法读取输出文件</source>
        <translation>The output file cannot be read</translation>
    </message>
    <message>
        <source>视频编码不是手机支持的编码</source>
        <translation>The video codec is not one handsets play</translation>
    </message>
    <message>
        <source>视频档次或级别不符合手机要求</source>
        <translation>The video profile or level is not one handsets play</translation>
    </message>
    <message>
        <source>音频编码不是手机支持的编码</source>
        <translation>The audio codec is not one handsets play</translation>
    </message>
    <message>
        <source>画面尺寸与所选分辨率不符</source>
        <translation>The picture size differs from the chosen resolution</translation>
    </message>
    <message>
        <source>索引不在文件开头，无法边下边播</source>
        <translation>The index is not at the start: no playback while downloading</translation>
    </message>
    <message>
        <source>容器：%1</source>
        <translation>Container: %1</translation>
    </message>
    <message>
        <source> 级别 %1</source>
        <translation> level %1</translation>
    </message>
    <message>
        <source>视频：%1，%2x%3，%4 帧/秒</source>
        <translation>Video: %1, %2x%3, %4 fps</translation>
    </message>
    <message>
        <source>码率：%1 kbit/s</source>
        <translation>Bitrate: %1 kbit/s</translation>
    </message>
    <message>
        <source>音频：无</source>
        <translation>Audio: none</translation>
    </message>
    <message>
        <source>音频：%1，%2 Hz，%3 声道</source>
        <translation>Audio: %1, %2 Hz, %3 channels</translation>
    </message>
    <message>
        <source>时长：%1</source>
        <translation>Duration: %1</translation>
    </message>
    <message>
        <source>文件大小：%1 KB</source>
        <translation>File size: %1 KB</translation>
    </message>
    <message>
        <source>索引在前：%1</source>
        <translation>Index first: %1</translation>
    </message>
    <message>
        <source>是</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>no</translation>
    </message>
</context>
<context>
    <name>RowMenu</name>
    <message>
        <source>打开所在文件夹</source>
        <translation>Open containing folder</translation>
    </message>
    <message>
        <source>重新转换</source>
        <translation>Convert again</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>查看详情</source>
        <translation>Show details</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>RowStateText</name>
    <message>
        <source>等待转换</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>转换中 %1%</source>
        <translation>%1% done</translation>
    </message>
    <message>
        <source>导出中</source>
        <translation>Exporting</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>无法读取文件</source>
        <translation>Unreadable</translation>
    </message>
    <message>
        <source>失败：</source>
        <translation>Failed: </translation>
    </message>
    <message>
        <source>文件中没有视频</source>
        <translation>no video in file</translation>
    </message>
    <message>
        <source>转换停滞，已终止</source>
        <translation>stalled, stopped</translation>
    </message>
    <message>
        <source>文件已损坏</source>
        <translation>file damaged</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>disk full</translation>
    </message>
    <message>
        <source>输出目录无法写入</source>
        <translation>output folder not writable</translation>
    </message>
    <message>
        <source>缺少转换工具</source>
        <translation>converter missing</translation>
    </message>
    <message>
        <source>MP4封装失败</source>
        <translation>MP4 packaging failed</translation>
    </message>
    <message>
        <source>3GP导出失败</source>
        <translation>3GP export failed</translation>
    </message>
    <message>
        <source>画面静止</source>
        <translation>picture frozen</translation>
    </message>
    <message>
        <source>编码失败</source>
        <translation>encoding failed</translation>
    </message>
    <message>
        <source>输出文件不符合手机要求</source>
        <translation>Not playable on handsets</translation>
    </message>
    <message>
        <source> · %1×</source>
        <translation> · %1×</translation>
    </message>
    <message>
        <source>大小限制过小，最小约 %1</source>
        <translation>size limit too small, at least %1</translation>
    </message>
    <message>
        <source>时长未知，无法限制大小</source>
        <translation>length unknown, cannot limit the size</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>选择转换后文件的保存路径</source>
        <translation>Choose the folder for converted files</translation>
    </message>
    <message>
        <source>目录路径太长，请选择一个路径较短的目录</source>
        <translation>The folder&apos;s path is too long. Choose a folder with a shorter path.</translation>
    </message>
    <message>
        <source>请输入完整的目录路径（以 / 开头）</source>
        <translation>Enter the folder&apos;s full path (starting with /).</translation>
    </message>
    <message>
        <source>您选择的目录无效，请重试</source>
        <translation>The folder you chose is invalid. Please try again.</translation>
    </message>
    <message>
        <source>无法保存设置：%1 无法写入</source>
        <translation>Cannot save the settings: %1 cannot be written.</translation>
    </message>
    <message>
        <source>按原文件名</source>
        <translation>Source name</translation>
    </message>
    <message>
        <source>按时间</source>
        <translation>Time of day</translation>
    </message>
    <message>
        <source>保持比例（加黑边）</source>
        <translation>Keep shape (bars)</translation>
    </message>
    <message>
        <source>裁剪填满</source>
        <translation>Fill (crop)</translation>
    </message>
    <message>
        <source>拉伸</source>
        <translation>Stretch</translation>
    </message>
</context>
<context>
    <name>StatusText</name>
    <message>
        <source>请先添加需要转换的文件。</source>
        <translation>Add the files to convert first.</translation>
    </message>
    <message>
        <source>开始转换</source>
        <translation>Starting</translation>
    </message>
    <message>
        <source>转换中...</source>
        <translation>Converting...</translation>
    </message>
    <message>
        <source>导出视频流</source>
        <translation>Exporting the video stream</translation>
    </message>
    <message>
        <source>转换完成</source>
        <translation>Conversion finished</translation>
    </message>
    <message>
        <source>转换失败</source>
        <translation>Conversion failed</translation>
    </message>
    <message>
        <source>已经暂停</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>正在继续转换...</source>
        <translation>Resuming...</translation>
    </message>
    <message>
        <source>已经停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>转换结束：成功 %1 个，失败 %2 个</source>
        <translation>Finished: %1 converted, %2 failed</translation>
    </message>
    <message>
        <source>输出目录所在的磁盘已满，转换已停止。
请腾出磁盘空间后重新开始转换。</source>
        <translation>The output folder&apos;s disk is full; the conversion has stopped.
Free some disk space, then start the conversion again.</translation>
    </message>
    <message>
        <source>工具目录无法写入，正在使用系统中已安装的转换工具</source>
        <translation>The tools folder cannot be written: using the installed tools</translation>
    </message>
    <message>
        <source>已恢复上次未完成的 %1 个文件</source>
        <translation>Restored %1 unfinished file(s) from last time</translation>
    </message>
    <message>
        <source>列表中的文件都已转换完成，没有需要转换的文件。</source>
        <translation>Every file in the list is converted already: nothing to convert.</translation>
    </message>
    <message>
        <source>正在转换 %1/%2</source>
        <translation>Converting %1/%2</translation>
    </message>
    <message>
        <source>，剩余约 %1</source>
        <translation>, about %1 left</translation>
    </message>
    <message>
        <source>%1 小时 %2 分</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>%1 分 %2 秒</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>正在停止上一批转换，请稍后再开始。</source>
        <translation>The last batch is still stopping; start again in a moment.</translation>
    </message>
    <message>
        <source>工具目录不可用，转换工具已写入 %1</source>
        <translation>The tools folder cannot be used; the tools run from %1</translation>
    </message>
    <message>
        <source>另一个窗口正在使用转换列表，本窗口的列表不会保存</source>
        <translation>Another window holds the file list; this window&apos;s list is not kept</translation>
    </message>
    <message>
        <source>无法识别大小限制“%1”，请输入如 300K、1.5M 的大小</source>
        <translation>Max size “%1” is not a size: type one like 300K or 1.5M</translation>
    </message>
</context>
</TS>
