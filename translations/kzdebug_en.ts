<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>kz</name>
    <message>
        <source>读停止</source>
        <translation>Stop reading</translation>
    </message>
    <message>
        <source>读启动</source>
        <translation>Start reading</translation>
    </message>
    <message>
        <source>读启用</source>
        <translation>Start reading</translation>
    </message>
    <message>
        <source>系统正在读数据，请先停止！</source>
        <translation>Reading is running. Stop it first!</translation>
    </message>
    <message>
        <source>请选择待校验的参数！！</source>
        <translation>Select the quantity to calibrate!</translation>
    </message>
    <message>
        <source>校验数据窗口不能为空！！</source>
        <translation>The calibration data box must not be empty!</translation>
    </message>
    <message>
        <source>校验数据只能是十六进制数字（0-9，A-F）！！</source>
        <translation>Calibration data must be hexadecimal digits (0-9, A-F)!</translation>
    </message>
    <message>
        <source>注意：标准表数据不能为空！！</source>
        <translation>Note: the reference meter value must not be empty!</translation>
    </message>
    <message>
        <source>注意：标准表数据不能为零！！</source>
        <translation>Note: the reference meter value must not be zero!</translation>
    </message>
    <message>
        <source>没有读到任何数据！请再读一次数据。</source>
        <translation>No data was read! Read again.</translation>
    </message>
    <message>
        <source>数据出错！！</source>
        <translation>Data error!</translation>
    </message>
    <message>
        <source>注意：校验参数选择不对！！</source>
        <translation>Note: wrong quantity selected for calibration!</translation>
    </message>
    <message>
        <source>参数设置成功！！</source>
        <translation>Settings written!</translation>
    </message>
    <message>
        <source>清零</source>
        <translation>Zero</translation>
    </message>
    <message>
        <source>等待设置标准源</source>
        <translation>Waiting for the reference source</translation>
    </message>
    <message>
        <source>读数（校验前）</source>
        <translation>Reading (before)</translation>
    </message>
    <message>
        <source>写入校验数据</source>
        <translation>Write calibration data</translation>
    </message>
    <message>
        <source>读数（校验后）</source>
        <translation>Reading (after)</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>跳过</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>仪表无应答</source>
        <translation>No reply from meter</translation>
    </message>
    <message>
        <source>写入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>开始前</source>
        <translation>before start</translation>
    </message>
    <message>
        <source>引导校验</source>
        <translation>Guided calibration</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>无应答</source>
        <translation>No reply</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>记录文件未打开</source>
        <translation>Record file not open</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>有功电能底数</source>
        <translation>Active energy base</translation>
    </message>
    <message>
        <source>无功电能底数</source>
        <translation>Reactive energy base</translation>
    </message>
    <message>
        <source>非法功能</source>
        <translation>Illegal function</translation>
    </message>
    <message>
        <source>非法数据地址</source>
        <translation>Illegal data address</translation>
    </message>
    <message>
        <source>非法数据值</source>
        <translation>Illegal data value</translation>
    </message>
    <message>
        <source>从站设备故障</source>
        <translation>Slave device failure</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Acknowledge</translation>
    </message>
    <message>
        <source>从站设备忙</source>
        <translation>Slave device busy</translation>
    </message>
    <message>
        <source>校准 读数</source>
        <translation>Calibration reading</translation>
    </message>
    <message>
        <source>校准 确认</source>
        <translation>Calibration confirm</translation>
    </message>
    <message>
        <source>校准 读</source>
        <translation>Calibration read</translation>
    </message>
    <message>
        <source>校准 零电平</source>
        <translation>Calibration zero level</translation>
    </message>
    <message>
        <source>校准 清零</source>
        <translation>Calibration zero</translation>
    </message>
    <message>
        <source>校准 写</source>
        <translation>Calibration write</translation>
    </message>
    <message>
        <source>读线圈</source>
        <translation>Read coils</translation>
    </message>
    <message>
        <source>读输入</source>
        <translation>Read inputs</translation>
    </message>
    <message>
        <source>读</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>写线圈</source>
        <translation>Write coil</translation>
    </message>
    <message>
        <source>写</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>写确认</source>
        <translation>Write confirm</translation>
    </message>
    <message>
        <source>探测</source>
        <translation>Probe</translation>
    </message>
    <message>
        <source>探测应答</source>
        <translation>Probe reply</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>Received</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>功能</source>
        <translation>Function</translation>
    </message>
    <message>
        <source>长度</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>结论</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>含义</source>
        <translation>Meaning</translation>
    </message>
    <message>
        <source>字节</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>主机名为空</source>
        <translation>Host name is empty</translation>
    </message>
    <message>
        <source>网络端口应写作 tcp://主机:端口 或 mbtcp://主机:端口</source>
        <translation>A network port is written tcp://HOST:PORT or mbtcp://HOST:PORT</translation>
    </message>
    <message>
        <source>IPv6 地址应写在方括号中，后接 :端口，如 [::1]:502</source>
        <translation>Write an IPv6 address in brackets followed by :PORT, e.g. [::1]:502</translation>
    </message>
    <message>
        <source>方括号中应为 IPv6 地址</source>
        <translation>Brackets must hold an IPv6 address</translation>
    </message>
    <message>
        <source>缺少端口号（应写作 主机:端口）</source>
        <translation>Port number missing (write HOST:PORT)</translation>
    </message>
    <message>
        <source>IPv6 地址应写在方括号中，如 [::1]:502</source>
        <translation>Write an IPv6 address in brackets, e.g. [::1]:502</translation>
    </message>
    <message>
        <source>无法打开串口 %1：%2</source>
        <translation>Cannot open serial port %1: %2</translation>
    </message>
    <message>
        <source>此系统的串口不支持 1.5 个停止位 (1.5 stop bits are not supported on this platform)</source>
        <translation>1.5 stop bits are not supported on this platform</translation>
    </message>
    <message>
        <source>找不到该串口</source>
        <translation>Serial port not found</translation>
    </message>
    <message>
        <source>串口被占用或没有访问权限</source>
        <translation>Serial port busy or access denied</translation>
    </message>
    <message>
        <source>串口不支持所选参数</source>
        <translation>The serial port does not support these settings</translation>
    </message>
    <message>
        <source>串口打开失败</source>
        <translation>Serial port failed to open</translation>
    </message>
    <message>
        <source>串口名称过长</source>
        <translation>Serial port name too long</translation>
    </message>
    <message>
        <source>不是串口设备</source>
        <translation>Not a serial device</translation>
    </message>
    <message>
        <source>串口未打开，请先用“串行口设置”打开串口！</source>
        <translation>The port is not open. Open it first with &quot;Port settings&quot;!</translation>
    </message>
    <message>
        <source>应答处理出错！</source>
        <translation>Error handling the reply!</translation>
    </message>
    <message>
        <source>连接被拒绝</source>
        <translation>Connection refused</translation>
    </message>
    <message>
        <source>对方关闭了连接</source>
        <translation>The peer closed the connection</translation>
    </message>
    <message>
        <source>找不到主机</source>
        <translation>Host not found</translation>
    </message>
    <message>
        <source>连接超时</source>
        <translation>Connection timed out</translation>
    </message>
    <message>
        <source>网络错误</source>
        <translation>Network error</translation>
    </message>
    <message>
        <source>没有访问权限</source>
        <translation>Access denied</translation>
    </message>
    <message>
        <source>循环读</source>
        <translation>Read continuously</translation>
    </message>
    <message>
        <source>读数指示灯1</source>
        <translation>Reading lamp 1</translation>
    </message>
    <message>
        <source>读数指示灯2</source>
        <translation>Reading lamp 2</translation>
    </message>
    <message>
        <source>标准表数据</source>
        <translation>Reference value</translation>
    </message>
    <message>
        <source>校验数据</source>
        <translation>Calibration data</translation>
    </message>
    <message>
        <source>选择待校验的参数：</source>
        <translation>Quantity to calibrate:</translation>
    </message>
    <message>
        <source>选择待校验的参数</source>
        <translation>Quantity to calibrate</translation>
    </message>
    <message>
        <source>校验记录无法写入，请重新保存记录！</source>
        <translation>The calibration record cannot be written. Save the record again!</translation>
    </message>
    <message>
        <source>保存校验记录</source>
        <translation>Save calibration record</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>计  算</source>
        <translation>Calculate</translation>
    </message>
    <message>
        <source>写  入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>保存记录</source>
        <translation>Save record</translation>
    </message>
    <message>
        <source>返  回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>操作步骤：一、选中待校验的参数－－＞按下[清零]－－＞按下[写入]。二、按下[读启用]，待数据稳定后（标准表</source>
        <translation>Steps: 1. Select the quantity to calibrate --&gt; press [Zero] --&gt; press [Write]. 2. Press [Start reading]; when the readings are stable (the reference</translation>
    </message>
    <message>
        <source>数据窗口中的数据和监视表数据的误差应在0.05%）－－＞按下[计算]－－＞按下[读停止]－－＞按下[写入]，该参</source>
        <translation>meter and the meter under test should agree within 0.05%) --&gt; press [Calculate] --&gt; press [Stop reading] --&gt; press [Write]. The</translation>
    </message>
    <message>
        <source>数校验完成,重复以上过程直至所有参数全部校完。</source>
        <translation>quantity is then calibrated; repeat for every quantity.</translation>
    </message>
    <message>
        <source>引导校验正在进行，请先停止！</source>
        <translation>A guided calibration is running. Stop it first!</translation>
    </message>
    <message>
        <source>计算</source>
        <translation>Calculate</translation>
    </message>
    <message>
        <source>写入确认</source>
        <translation>Write confirm</translation>
    </message>
    <message>
        <source>开始引导校验</source>
        <translation>Start guided calibration</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>默认方案</source>
        <translation>Default plan</translation>
    </message>
    <message>
        <source>载入方案</source>
        <translation>Load plan</translation>
    </message>
    <message>
        <source>保存证书</source>
        <translation>Save certificate</translation>
    </message>
    <message>
        <source>未开始</source>
        <translation>Not started</translation>
    </message>
    <message>
        <source>误差：—</source>
        <translation>Error: —</translation>
    </message>
    <message>
        <source>引导校验进度</source>
        <translation>Guided calibration progress</translation>
    </message>
    <message>
        <source>，停止于</source>
        <translation>, stopped at</translation>
    </message>
    <message>
        <source>保存校验证书</source>
        <translation>Save calibration certificate</translation>
    </message>
    <message>
        <source>PDF 文件 (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>单相表</source>
        <translation>Single-phase meter</translation>
    </message>
    <message>
        <source>三相模块</source>
        <translation>Three-phase module</translation>
    </message>
    <message>
        <source>载入校验方案</source>
        <translation>Load calibration plan</translation>
    </message>
    <message>
        <source>校验方案 (*.json)</source>
        <translation>Calibration plans (*.json)</translation>
    </message>
    <message>
        <source>原地址:</source>
        <translation>Old address:</translation>
    </message>
    <message>
        <source>新地址：</source>
        <translation>New address:</translation>
    </message>
    <message>
        <source>通讯拨特率:</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>仪表当前时间:</source>
        <translation>Meter time:</translation>
    </message>
    <message>
        <source>设置地址</source>
        <translation>Set address</translation>
    </message>
    <message>
        <source>设置波特率</source>
        <translation>Set baud rate</translation>
    </message>
    <message>
        <source>校时</source>
        <translation>Set clock</translation>
    </message>
    <message>
        <source>上载数据</source>
        <translation>Read data</translation>
    </message>
    <message>
        <source>请先选择通讯波特率！</source>
        <translation>Select the baud rate first!</translation>
    </message>
    <message>
        <source>数据设置成功！！</source>
        <translation>Data written!</translation>
    </message>
    <message>
        <source>有功功率</source>
        <translation>Active power</translation>
    </message>
    <message>
        <source>电压</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>仪表地址：</source>
        <translation>Meter address:</translation>
    </message>
    <message>
        <source>事件记录</source>
        <translation>Event log</translation>
    </message>
    <message>
        <source>事件选择：</source>
        <translation>Event:</translation>
    </message>
    <message>
        <source>检  测</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>请选择事件名！！</source>
        <translation>Select an event!</translation>
    </message>
    <message>
        <source>已停止（串口断开）</source>
        <translation>Stopped (port disconnected)</translation>
    </message>
    <message>
        <source>已停止（连接断开）</source>
        <translation>Stopped (connection lost)</translation>
    </message>
    <message>
        <source>显示的数值是串口断开前最后读到的，不再更新</source>
        <translation>The values shown are the last read before the port was lost; they are no longer updated</translation>
    </message>
    <message>
        <source>本窗口不属于当前所选的仪表型号，请先用“仪表型号选择”选择对应型号！</source>
        <translation>This window is not for the selected meter model. Choose its model first with &quot;Meter model&quot;!</translation>
    </message>
    <message>
        <source>电能底数设置</source>
        <translation>Energy base settings</translation>
    </message>
    <message>
        <source>只能保留两位小数</source>
        <translation>At most two decimals</translation>
    </message>
    <message>
        <source>有功电能底数:</source>
        <translation>Active energy base:</translation>
    </message>
    <message>
        <source>无功电能底数:</source>
        <translation>Reactive energy base:</translation>
    </message>
    <message>
        <source>下载数据</source>
        <translation>Write data</translation>
    </message>
    <message>
        <source>上载数据（电能底数）</source>
        <translation>Read data (energy base)</translation>
    </message>
    <message>
        <source>下载数据（电能底数）</source>
        <translation>Write data (energy base)</translation>
    </message>
    <message>
        <source>启  动</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>停  止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>通信进度</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>异常</source>
        <translation>Fault</translation>
    </message>
    <message>
        <source>灭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>亮</source>
        <translation>On</translation>
    </message>
    <message>
        <source>记录</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>把每次测量写入 CSV 文件（已有的文件接着写）</source>
        <translation>Write every measurement to a CSV file (an existing file is appended to)</translation>
    </message>
    <message>
        <source>记录到 CSV 文件</source>
        <translation>Record to a CSV file</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv);;所有文件 (*)</source>
        <translation>CSV files (*.csv);;All files (*)</translation>
    </message>
    <message>
        <source>遥控</source>
        <translation>Remote control</translation>
    </message>
    <message>
        <source>状态检测</source>
        <translation>State check</translation>
    </message>
    <message>
        <source>开关量输入：--</source>
        <translation>Digital inputs: --</translation>
    </message>
    <message>
        <source>继电器输出：--</source>
        <translation>Relay outputs: --</translation>
    </message>
    <message>
        <source>遥信</source>
        <translation>Remote signals</translation>
    </message>
    <message>
        <source>定时检测</source>
        <translation>Check periodically</translation>
    </message>
    <message>
        <source>间隔ms/次</source>
        <translation>Interval ms</translation>
    </message>
    <message>
        <source>取  消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>仪表地址检测结束！！</source>
        <translation>Address scan finished!</translation>
    </message>
    <message>
        <source>地址检测范围</source>
        <translation>Address range</translation>
    </message>
    <message>
        <source>起始地址：</source>
        <translation>First address:</translation>
    </message>
    <message>
        <source>结束地址：</source>
        <translation>Last address:</translation>
    </message>
    <message>
        <source>检测结果：</source>
        <translation>Result:</translation>
    </message>
    <message>
        <source>检测进度</source>
        <translation>Scan progress</translation>
    </message>
    <message>
        <source>仪表起始地址错误！！</source>
        <translation>Wrong first address!</translation>
    </message>
    <message>
        <source>异常终止</source>
        <translation>crashed</translation>
    </message>
    <message>
        <source>KZ系列电参数表调试软件</source>
        <translation>KZ Series Power Meter Configuration Tool</translation>
    </message>
    <message>
        <source>KZ5500E三相电参数测试仪</source>
        <translation>KZ5500E Three-phase Meter</translation>
    </message>
    <message>
        <source>      KZ系列电参数表调试软件</source>
        <translation>      KZ Series Power Meter Configuration Tool</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>串行口设置</source>
        <translation>Port settings</translation>
    </message>
    <message>
        <source>仪表地址检测</source>
        <translation>Address scan</translation>
    </message>
    <message>
        <source>仪表型号选择</source>
        <translation>Meter model</translation>
    </message>
    <message>
        <source>电量测量</source>
        <translation>Measurement</translation>
    </message>
    <message>
        <source>参数设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>协议选择</source>
        <translation>Protocol</translation>
    </message>
    <message>
        <source>典型接线</source>
        <translation>Wiring diagrams</translation>
    </message>
    <message>
        <source>退 出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>KZ5055M三相电参数模块</source>
        <translation>KZ5055M Three-phase Module</translation>
    </message>
    <message>
        <source>KZ5500M三相电参数模块</source>
        <translation>KZ5500M Three-phase Module</translation>
    </message>
    <message>
        <source>KZ5700E单相电参数测试仪</source>
        <translation>KZ5700E Single-phase Meter</translation>
    </message>
    <message>
        <source>KZ827KVE单相电参数测试仪</source>
        <translation>KZ827KVE Single-phase Meter</translation>
    </message>
    <message>
        <source>三相电参数隔离传输模块</source>
        <translation>Three-phase Isolated Transmitter</translation>
    </message>
    <message>
        <source>单相电参数隔离传输模块</source>
        <translation>Single-phase Isolated Transmitter</translation>
    </message>
    <message>
        <source>本软件只支持 MODBUS-RTU 通讯方式</source>
        <translation>This program supports MODBUS-RTU only</translation>
    </message>
    <message>
        <source>通信监视(&amp;M)</source>
        <translation>Traffic &amp;monitor</translation>
    </message>
    <message>
        <source>测量趋势(&amp;T)</source>
        <translation>Measurement &amp;trend</translation>
    </message>
    <message>
        <source>奇校验</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>偶校验</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>通讯端口设置</source>
        <translation>Port settings</translation>
    </message>
    <message>
        <source>通讯口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>从列表中选择串口，或输入设备路径（如 /dev/ttyUSB0）或 COMn</source>
        <translation>Choose a serial port from the list or type a device path (e.g. /dev/ttyUSB0) or COMn</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>校验位</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>网络 (TCP)</source>
        <translation>Network (TCP)</translation>
    </message>
    <message>
        <source>连接方式 串口</source>
        <translation>Connection serial port</translation>
    </message>
    <message>
        <source>连接方式 网络 (TCP)</source>
        <translation>Connection network (TCP)</translation>
    </message>
    <message>
        <source>连接方式：</source>
        <translation>Connection:</translation>
    </message>
    <message>
        <source>网络模式</source>
        <translation>Network mode</translation>
    </message>
    <message>
        <source>RTU over TCP：网关原样转发 RTU 帧（透明传输）；Modbus TCP：网关按 MBAP 报文转换</source>
        <translation>RTU over TCP: the gateway passes RTU frames through unchanged; Modbus TCP: the gateway converts MBAP messages</translation>
    </message>
    <message>
        <source>主机</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>网关的主机名、IPv4 或 IPv6 地址</source>
        <translation>The gateway&apos;s host name, IPv4 or IPv6 address</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>网关的 TCP 端口（1～65535），Modbus TCP 通常为 502</source>
        <translation>The gateway&apos;s TCP port (1 to 65535), usually 502 for Modbus TCP</translation>
    </message>
    <message>
        <source>通讯口：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>停止位：</source>
        <translation>Stop bits:</translation>
    </message>
    <message>
        <source>数据位：</source>
        <translation>Data bits:</translation>
    </message>
    <message>
        <source>校验位：</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>网络模式：</source>
        <translation>Network mode:</translation>
    </message>
    <message>
        <source>主机：</source>
        <translation>Host:</translation>
    </message>
    <message>
        <source>端口：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>确  定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>请选择通讯口！</source>
        <translation>Select a port!</translation>
    </message>
    <message>
        <source>请输入网关的主机名或 IP 地址！</source>
        <translation>Enter the gateway&apos;s host name or IP address!</translation>
    </message>
    <message>
        <source>请输入端口号！</source>
        <translation>Enter a port number!</translation>
    </message>
    <message>
        <source>网络连接成功！</source>
        <translation>Connected!</translation>
    </message>
    <message>
        <source>串口初始化成功！</source>
        <translation>Serial port opened!</translation>
    </message>
    <message>
        <source>KZ系列电参数表调试软件 (Modbus RTU)</source>
        <translation>KZ Series Power Meter Configuration Tool (Modbus RTU)</translation>
    </message>
    <message>
        <source>通信监视</source>
        <translation>Traffic monitor</translation>
    </message>
    <message>
        <source>方向(&amp;D)</source>
        <translation>&amp;Direction</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>地址(&amp;A)</source>
        <translation>&amp;Address</translation>
    </message>
    <message>
        <source>暂停(&amp;P)</source>
        <translation>&amp;Pause</translation>
    </message>
    <message>
        <source>清除(&amp;C)</source>
        <translation>&amp;Clear</translation>
    </message>
    <message>
        <source>复制(&amp;Y)</source>
        <translation>Cop&amp;y</translation>
    </message>
    <message>
        <source>复制选中的行；没有选中时复制全部</source>
        <translation>Copies the selected rows, or all rows when none is selected</translation>
    </message>
    <message>
        <source>保存(&amp;S)…</source>
        <translation>&amp;Save…</translation>
    </message>
    <message>
        <source>功能(&amp;F)</source>
        <translation>&amp;Function</translation>
    </message>
    <message>
        <source>结论(&amp;V)</source>
        <translation>&amp;Verdict</translation>
    </message>
    <message>
        <source>丢弃</source>
        <translation>Dropped</translation>
    </message>
    <message>
        <source>通信记录</source>
        <translation>Traffic record</translation>
    </message>
    <message>
        <source>保存通信记录</source>
        <translation>Save traffic record</translation>
    </message>
    <message>
        <source>文本文件 (*.txt);;CSV 文件 (*.csv);;所有文件 (*)</source>
        <translation>Text files (*.txt);;CSV files (*.csv);;All files (*)</translation>
    </message>
    <message>
        <source>测量趋势</source>
        <translation>Measurement trend</translation>
    </message>
    <message>
        <source>曲线(&amp;Q)</source>
        <translation>&amp;Quantity</translation>
    </message>
    <message>
        <source>曲线</source>
        <translation>Quantity</translation>
    </message>
    <message>
        <source>时段(&amp;P)</source>
        <translation>S&amp;pan</translation>
    </message>
    <message>
        <source>1 分钟</source>
        <translation>1 min</translation>
    </message>
    <message>
        <source>10 分钟</source>
        <translation>10 min</translation>
    </message>
    <message>
        <source>60 分钟</source>
        <translation>60 min</translation>
    </message>
    <message>
        <source>趋势图</source>
        <translation>Trend chart</translation>
    </message>
    <message>
        <source>滚轮或拖出矩形缩放，方向键平移</source>
        <translation>Wheel or drag a rectangle to zoom, arrow keys to pan</translation>
    </message>
    <message>
        <source>复位(&amp;R)</source>
        <translation>&amp;Reset</translation>
    </message>
    <message>
        <source>保存图片(&amp;S)…</source>
        <translation>&amp;Save picture…</translation>
    </message>
    <message>
        <source>导出 CSV(&amp;E)…</source>
        <translation>&amp;Export CSV…</translation>
    </message>
    <message>
        <source>保存趋势图</source>
        <translation>Save trend chart</translation>
    </message>
    <message>
        <source>PNG 图片 (*.png)</source>
        <translation>PNG images (*.png)</translation>
    </message>
    <message>
        <source>导出趋势数据</source>
        <translation>Export trend data</translation>
    </message>
    <message>
        <source>KZ5500E典型接线图</source>
        <translation>KZ5500E wiring diagrams</translation>
    </message>
    <message>
        <source>三相四线、三相三线（三个电流互感器）和三相三线（两个电流互感器）的接线图，A、B、C 相（及 N 线）接到端子 13 至 24</source>
        <translation>Wiring diagrams for 3-phase 4-wire, 3-phase 3-wire (three CTs) and 3-phase 3-wire (two CTs); phases A, B, C (and N) go to terminals 13 to 24</translation>
    </message>
    <message>
        <source>相平均电压</source>
        <translation>Average phase voltage</translation>
    </message>
    <message>
        <source>线平均电压</source>
        <translation>Average line voltage</translation>
    </message>
    <message>
        <source>平均电流</source>
        <translation>Avg current</translation>
    </message>
    <message>
        <source>零序电流</source>
        <translation>Zero-seq. current</translation>
    </message>
    <message>
        <source>频率</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>断相总允许</source>
        <translation>Phase loss (all)</translation>
    </message>
    <message>
        <source>Ua断相</source>
        <translation>Ua phase loss</translation>
    </message>
    <message>
        <source>Ub断相</source>
        <translation>Ub phase loss</translation>
    </message>
    <message>
        <source>Uc断相</source>
        <translation>Uc phase loss</translation>
    </message>
    <message>
        <source>电流不平衡</source>
        <translation>Current unbalance</translation>
    </message>
    <message>
        <source>电压不平蘅</source>
        <translation>Voltage unbalance</translation>
    </message>
    <message>
        <source>相序错</source>
        <translation>Phase sequence error</translation>
    </message>
    <message>
        <source>上限</source>
        <translation>Upper limit</translation>
    </message>
    <message>
        <source>下限</source>
        <translation>Lower limit</translation>
    </message>
    <message>
        <source>DI1输入有效</source>
        <translation>DI1 active</translation>
    </message>
    <message>
        <source>DI1断开有效|DI1接通有效</source>
        <translation>DI1 active open|DI1 active closed</translation>
    </message>
    <message>
        <source>DI2输入有效</source>
        <translation>DI2 active</translation>
    </message>
    <message>
        <source>DI2断开有效|DI2接通有效</source>
        <translation>DI2 active open|DI2 active closed</translation>
    </message>
    <message>
        <source>DI3输入有效</source>
        <translation>DI3 active</translation>
    </message>
    <message>
        <source>DI3断开有效|DI3接通有效</source>
        <translation>DI3 active open|DI3 active closed</translation>
    </message>
    <message>
        <source>报警启用设置</source>
        <translation>Alarm enables</translation>
    </message>
    <message>
        <source>DI输入有效选择：</source>
        <translation>DI active state:</translation>
    </message>
    <message>
        <source>电流、功率因数</source>
        <translation>Current, power factor</translation>
    </message>
    <message>
        <source>功率</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>输入仪表地址：</source>
        <translation>Meter address:</translation>
    </message>
    <message>
        <source>下  载</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>上  载</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>全部选择</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>全部清除</source>
        <translation>Clear all</translation>
    </message>
    <message>
        <source>出厂值设置</source>
        <translation>Factory defaults</translation>
    </message>
    <message>
        <source>电参数测试仪</source>
        <translation>Power meter</translation>
    </message>
    <message>
        <source>A相功率（100%）-1.0      [ 1  ]</source>
        <translation>Phase A power (100%) PF 1.0   [ 1  ]</translation>
    </message>
    <message>
        <source>B相功率（100%）-1.0      [ 2  ]</source>
        <translation>Phase B power (100%) PF 1.0   [ 2  ]</translation>
    </message>
    <message>
        <source>C相功率（100%）-1.0      [ 3  ]</source>
        <translation>Phase C power (100%) PF 1.0   [ 3  ]</translation>
    </message>
    <message>
        <source>A相功率（10%）-1.0       [ 4  ]</source>
        <translation>Phase A power (10%) PF 1.0    [ 4  ]</translation>
    </message>
    <message>
        <source>B相功率（10%）-1.0       [ 5  ]</source>
        <translation>Phase B power (10%) PF 1.0    [ 5  ]</translation>
    </message>
    <message>
        <source>C相功率（10%）-1.0       [ 6  ]</source>
        <translation>Phase C power (10%) PF 1.0    [ 6  ]</translation>
    </message>
    <message>
        <source>A相功率（100%）-0.5L     [ 7  ]</source>
        <translation>Phase A power (100%) PF 0.5L  [ 7  ]</translation>
    </message>
    <message>
        <source>B相功率（100%）-0.5L     [ 8  ]</source>
        <translation>Phase B power (100%) PF 0.5L  [ 8  ]</translation>
    </message>
    <message>
        <source>C相功率（100%）-0.5L     [ 9  ]</source>
        <translation>Phase C power (100%) PF 0.5L  [ 9  ]</translation>
    </message>
    <message>
        <source>A相功率（10%）-0.5L      [ 10 ]</source>
        <translation>Phase A power (10%) PF 0.5L   [ 10 ]</translation>
    </message>
    <message>
        <source>B相功率（10%）-0.5L      [ 11 ]</source>
        <translation>Phase B power (10%) PF 0.5L   [ 11 ]</translation>
    </message>
    <message>
        <source>C相功率（10%）-0.5L      [ 12 ]</source>
        <translation>Phase C power (10%) PF 0.5L   [ 12 ]</translation>
    </message>
    <message>
        <source>A相电压                  [ 13 ]</source>
        <translation>Phase A voltage               [ 13 ]</translation>
    </message>
    <message>
        <source>B相电压                  [ 14 ]</source>
        <translation>Phase B voltage               [ 14 ]</translation>
    </message>
    <message>
        <source>C相电压                  [ 15 ]</source>
        <translation>Phase C voltage               [ 15 ]</translation>
    </message>
    <message>
        <source>A相电流                  [ 16 ]</source>
        <translation>Phase A current               [ 16 ]</translation>
    </message>
    <message>
        <source>B相电流                  [ 17 ]</source>
        <translation>Phase B current               [ 17 ]</translation>
    </message>
    <message>
        <source>C相电流                  [ 18 ]</source>
        <translation>Phase C current               [ 18 ]</translation>
    </message>
    <message>
        <source>A相功率因数              [ 19 ]</source>
        <translation>Phase A power factor          [ 19 ]</translation>
    </message>
    <message>
        <source>B相功率因数              [ 20 ]</source>
        <translation>Phase B power factor          [ 20 ]</translation>
    </message>
    <message>
        <source>C相功率因数              [ 21 ]</source>
        <translation>Phase C power factor          [ 21 ]</translation>
    </message>
    <message>
        <source>合相功率因数             [ 22 ]</source>
        <translation>Total power factor            [ 22 ]</translation>
    </message>
    <message>
        <source>频率                     [ 23 ]</source>
        <translation>Frequency                     [ 23 ]</translation>
    </message>
    <message>
        <source>A相电压</source>
        <translation>Phase A voltage</translation>
    </message>
    <message>
        <source>B相电压</source>
        <translation>Phase B voltage</translation>
    </message>
    <message>
        <source>C相电压</source>
        <translation>Phase C voltage</translation>
    </message>
    <message>
        <source>A相电流</source>
        <translation>Phase A current</translation>
    </message>
    <message>
        <source>B相电流</source>
        <translation>Phase B current</translation>
    </message>
    <message>
        <source>C相电流</source>
        <translation>Phase C current</translation>
    </message>
    <message>
        <source>A相有功功率</source>
        <translation>Phase A active power</translation>
    </message>
    <message>
        <source>B相有功功率</source>
        <translation>Phase B active power</translation>
    </message>
    <message>
        <source>C相有功功率</source>
        <translation>Phase C active power</translation>
    </message>
    <message>
        <source>A相功率因数</source>
        <translation>Phase A power factor</translation>
    </message>
    <message>
        <source>B相功率因数</source>
        <translation>Phase B power factor</translation>
    </message>
    <message>
        <source>C相功率因数</source>
        <translation>Phase C power factor</translation>
    </message>
    <message>
        <source>合相功率因数</source>
        <translation>Total power factor</translation>
    </message>
    <message>
        <source>频率:</source>
        <translation>Frequency:</translation>
    </message>
    <message>
        <source>三相模块默认校验方案</source>
        <translation>Three-phase module default calibration plan</translation>
    </message>
    <message>
        <source>测量参数显示间隔</source>
        <translation>Display interval</translation>
    </message>
    <message>
        <source>数据大于99取值99</source>
        <translation>Values above 99 are taken as 99</translation>
    </message>
    <message>
        <source>循环测量|UA测量|UB测量|UC测量|UAB测量|UBC测量|UCA测量|三相相平均电压测量|三相线平均电压测量|相频率测量</source>
        <translation>Cycle|UA|UB|UC|UAB|UBC|UCA|Average phase voltage|Average line voltage|Frequency</translation>
    </message>
    <message>
        <source>循环测量|IA测量|IB测量|IC测量|三相平均电流测量|零序电流测量|A相功率因数测量|B相功率因数测量|C相功率因数测量|合相功率因数测量</source>
        <translation>Cycle|IA|IB|IC|Average current|Zero-sequence current|Phase A PF|Phase B PF|Phase C PF|Total PF</translation>
    </message>
    <message>
        <source>循环测量|A相有功功率测量|B相有功功率测量|C相有功功率测量|合相有功功率测量|A相无功功率测量|B相无功功率测量|C相无功功率测量|合相无功功率测量|A相视在功率测量|B相视在功率测量|C相视在功率测量|合相视在功率测量|有功总电能低字节测量|有功总电能高字节测量|正向有功总电能低字节测量|正向有功总电能高字节测量|反向有功总电能低字节测量|反向有功总电能高字节测量|无功总电能低字节测量|无功总电能高字节测量|正向无功总电能低字节测量|正向无功总电能高字节测量|反向无功总电能低字节测量|反向无功总电能高字节测量</source>
        <translation>Cycle|Phase A P|Phase B P|Phase C P|Total P|Phase A Q|Phase B Q|Phase C Q|Total Q|Phase A S|Phase B S|Phase C S|Total S|Active energy low|Active energy high|Import active energy low|Import active energy high|Export active energy low|Export active energy high|Reactive energy low|Reactive energy high|Import reactive energy low|Import reactive energy high|Export reactive energy low|Export reactive energy high</translation>
    </message>
    <message>
        <source>A相功率因子</source>
        <translation>Phase A PF</translation>
    </message>
    <message>
        <source>B相功率因子</source>
        <translation>Phase B PF</translation>
    </message>
    <message>
        <source>C相功率因子</source>
        <translation>Phase C PF</translation>
    </message>
    <message>
        <source>合相功率因子</source>
        <translation>Total PF</translation>
    </message>
    <message>
        <source>合相有功功率</source>
        <translation>Total active power</translation>
    </message>
    <message>
        <source>A相无功功率</source>
        <translation>Phase A reactive power</translation>
    </message>
    <message>
        <source>B相无功功率</source>
        <translation>Phase B reactive power</translation>
    </message>
    <message>
        <source>C相无功功率</source>
        <translation>Phase C reactive power</translation>
    </message>
    <message>
        <source>合相无功功率</source>
        <translation>Total reactive power</translation>
    </message>
    <message>
        <source>A相视在功率</source>
        <translation>Phase A apparent power</translation>
    </message>
    <message>
        <source>B相视在功率</source>
        <translation>Phase B apparent power</translation>
    </message>
    <message>
        <source>C相视在功率</source>
        <translation>Phase C apparent power</translation>
    </message>
    <message>
        <source>合相视在功率</source>
        <translation>Total apparent power</translation>
    </message>
    <message>
        <source>有功总电能低字节</source>
        <translation>Active energy low</translation>
    </message>
    <message>
        <source>有功总电能高字节</source>
        <translation>Active energy high</translation>
    </message>
    <message>
        <source>正向有功电能低字节</source>
        <translation>Import active energy low</translation>
    </message>
    <message>
        <source>正向有功电能高字节</source>
        <translation>Import active energy high</translation>
    </message>
    <message>
        <source>反向有功电能低字节</source>
        <translation>Export active energy low</translation>
    </message>
    <message>
        <source>反向有功电能高字节</source>
        <translation>Export active energy high</translation>
    </message>
    <message>
        <source>无功总电能低字节</source>
        <translation>Reactive energy low</translation>
    </message>
    <message>
        <source>无功总电能高字节</source>
        <translation>Reactive energy high</translation>
    </message>
    <message>
        <source>正向无功电能低字节</source>
        <translation>Import reactive energy low</translation>
    </message>
    <message>
        <source>正向无功电能高字节</source>
        <translation>Import reactive energy high</translation>
    </message>
    <message>
        <source>反向无功电能低字节</source>
        <translation>Export reactive energy low</translation>
    </message>
    <message>
        <source>反向无功电能高字节</source>
        <translation>Export reactive energy high</translation>
    </message>
    <message>
        <source>上窗口显示屏蔽：</source>
        <translation>Upper display mask:</translation>
    </message>
    <message>
        <source>中窗口显示屏蔽：</source>
        <translation>Middle display mask:</translation>
    </message>
    <message>
        <source>下窗口显示屏蔽：</source>
        <translation>Lower display mask:</translation>
    </message>
    <message>
        <source>上窗口测量参数选择</source>
        <translation>Upper display quantity</translation>
    </message>
    <message>
        <source>上窗口测量参数选择：</source>
        <translation>Upper display quantity:</translation>
    </message>
    <message>
        <source>中窗口测量参数选择</source>
        <translation>Middle display quantity</translation>
    </message>
    <message>
        <source>中窗口测量参数选择：</source>
        <translation>Middle display quantity:</translation>
    </message>
    <message>
        <source>下窗口测量参数选择</source>
        <translation>Lower display quantity</translation>
    </message>
    <message>
        <source>下窗口测量参数选择：</source>
        <translation>Lower display quantity:</translation>
    </message>
    <message>
        <source>上窗口测量参数显示间隔</source>
        <translation>Upper display interval</translation>
    </message>
    <message>
        <source>中窗口测量参数显示间隔</source>
        <translation>Middle display interval</translation>
    </message>
    <message>
        <source>下窗口测量参数显示间隔</source>
        <translation>Lower display interval</translation>
    </message>
    <message>
        <source>有功电能计量定时</source>
        <translation>Active energy timer</translation>
    </message>
    <message>
        <source>有功电能计量定时：</source>
        <translation>Active energy timer:</translation>
    </message>
    <message>
        <source>数据大于9999取值9999</source>
        <translation>Values above 9999 are taken as 9999</translation>
    </message>
    <message>
        <source>数据上载成功！！！</source>
        <translation>Data read!</translation>
    </message>
    <message>
        <source>数据上载失败！！！</source>
        <translation>Reading the data failed!</translation>
    </message>
    <message>
        <source>上窗口显示屏蔽选择</source>
        <translation>Upper display mask</translation>
    </message>
    <message>
        <source>中窗口显示屏蔽选择</source>
        <translation>Middle display mask</translation>
    </message>
    <message>
        <source>下窗口显示屏蔽选择</source>
        <translation>Lower display mask</translation>
    </message>
    <message>
        <source>设置非循环测量时，下面的屏蔽参数无效！</source>
        <translation>With a fixed (non-cycling) quantity the masks below have no effect!</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>最大地址值为247</source>
        <translation>The highest address is 247</translation>
    </message>
    <message>
        <source>全 选</source>
        <translation>All</translation>
    </message>
    <message>
        <source>全 清</source>
        <translation>None</translation>
    </message>
    <message>
        <source>上载结果</source>
        <translation>Read result</translation>
    </message>
    <message>
        <source>上载结果：</source>
        <translation>Read result:</translation>
    </message>
    <message>
        <source>注：(显示时间间隔最大值不大于99秒；</source>
        <translation>Note: (the display interval is at most 99 s;</translation>
    </message>
    <message>
        <source>有功电能计量定时值不大于9999秒。)</source>
        <translation>the active energy timer is at most 9999 s.)</translation>
    </message>
    <message>
        <source>参数下载成功！！</source>
        <translation>Settings written!</translation>
    </message>
    <message>
        <source>被率</source>
        <translation>Ratio</translation>
    </message>
    <message>
        <source>接线方式</source>
        <translation>Wiring mode</translation>
    </message>
    <message>
        <source>三相三线|三相四线</source>
        <translation>3-phase 3-wire|3-phase 4-wire</translation>
    </message>
    <message>
        <source>重合闸延时时间</source>
        <translation>Reclose delay</translation>
    </message>
    <message>
        <source>电压量程被率</source>
        <translation>PT ratio</translation>
    </message>
    <message>
        <source>电压单位</source>
        <translation>Voltage unit</translation>
    </message>
    <message>
        <source>电流量程被率</source>
        <translation>CT ratio</translation>
    </message>
    <message>
        <source>电流单位</source>
        <translation>Current unit</translation>
    </message>
    <message>
        <source>有功功率单位</source>
        <translation>Active power unit</translation>
    </message>
    <message>
        <source>无功功率单位</source>
        <translation>Reactive power unit</translation>
    </message>
    <message>
        <source>视在功率单位</source>
        <translation>Apparent power unit</translation>
    </message>
    <message>
        <source>有功电能单位</source>
        <translation>Active energy unit</translation>
    </message>
    <message>
        <source>无功电能单位</source>
        <translation>Reactive energy unit</translation>
    </message>
    <message>
        <source>最大被率为10000</source>
        <translation>The highest ratio is 10000</translation>
    </message>
    <message>
        <source>电压量程</source>
        <translation>Voltage range</translation>
    </message>
    <message>
        <source>电流量程</source>
        <translation>Current range</translation>
    </message>
    <message>
        <source>最大时间为9999秒</source>
        <translation>The longest time is 9999 s</translation>
    </message>
    <message>
        <source>上载数据（初始化参数）</source>
        <translation>Read data (initial settings)</translation>
    </message>
    <message>
        <source>下载数据（初始化参数）</source>
        <translation>Write data (initial settings)</translation>
    </message>
    <message>
        <source>返    回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>数据下载成功！！</source>
        <translation>Data written!</translation>
    </message>
    <message>
        <source>数据上载失败！！</source>
        <translation>Reading the data failed!</translation>
    </message>
    <message>
        <source>A相</source>
        <translation>Phase A</translation>
    </message>
    <message>
        <source>B相</source>
        <translation>Phase B</translation>
    </message>
    <message>
        <source>C相</source>
        <translation>Phase C</translation>
    </message>
    <message>
        <source>合相</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>相平均</source>
        <translation>Phase avg</translation>
    </message>
    <message>
        <source>线平均</source>
        <translation>Line avg</translation>
    </message>
    <message>
        <source>电压回差值</source>
        <translation>Voltage hysteresis</translation>
    </message>
    <message>
        <source>电压报警继电器</source>
        <translation>Voltage alarm relay</translation>
    </message>
    <message>
        <source>断相报警继电器</source>
        <translation>Phase loss alarm relay</translation>
    </message>
    <message>
        <source>单相电流回差</source>
        <translation>Phase current hysteresis</translation>
    </message>
    <message>
        <source>平均电流回差</source>
        <translation>Avg current hysteresis</translation>
    </message>
    <message>
        <source>零序电流回差</source>
        <translation>Zero-seq. current hysteresis</translation>
    </message>
    <message>
        <source>报警继电器</source>
        <translation>Alarm relay</translation>
    </message>
    <message>
        <source>回差值</source>
        <translation>Hysteresis</translation>
    </message>
    <message>
        <source>报警延时</source>
        <translation>Alarm delay</translation>
    </message>
    <message>
        <source>无对应|DI1|DI2|DI3</source>
        <translation>None|DI1|DI2|DI3</translation>
    </message>
    <message>
        <source>OUT1输入</source>
        <translation>OUT1 input</translation>
    </message>
    <message>
        <source>OUT2输入</source>
        <translation>OUT2 input</translation>
    </message>
    <message>
        <source>OUT3输入</source>
        <translation>OUT3 input</translation>
    </message>
    <message>
        <source>电压参数</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>电流参数</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>功率因数</source>
        <translation>Power factor</translation>
    </message>
    <message>
        <source>功率因子参数</source>
        <translation>Power factor</translation>
    </message>
    <message>
        <source>有功功率参数</source>
        <translation>Active power</translation>
    </message>
    <message>
        <source>无功功率</source>
        <translation>Reactive power</translation>
    </message>
    <message>
        <source>无功功率参数</source>
        <translation>Reactive power</translation>
    </message>
    <message>
        <source>电流不平衡参数</source>
        <translation>Current unbalance</translation>
    </message>
    <message>
        <source>电压不平衡</source>
        <translation>Voltage unbalance</translation>
    </message>
    <message>
        <source>电压不平衡参数</source>
        <translation>Voltage unbalance</translation>
    </message>
    <message>
        <source>频率参数</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>相序</source>
        <translation>Phase sequence</translation>
    </message>
    <message>
        <source>相序参数设置</source>
        <translation>Phase sequence</translation>
    </message>
    <message>
        <source>开关量</source>
        <translation>Digital inputs</translation>
    </message>
    <message>
        <source>开关量报警继电器</source>
        <translation>Digital input alarm relay</translation>
    </message>
    <message>
        <source>电流不平蘅</source>
        <translation>Current unbalance</translation>
    </message>
    <message>
        <source>开关量信号1</source>
        <translation>Digital input 1</translation>
    </message>
    <message>
        <source>开关量信号2</source>
        <translation>Digital input 2</translation>
    </message>
    <message>
        <source>开关量信号3</source>
        <translation>Digital input 3</translation>
    </message>
    <message>
        <source>继电器输出1</source>
        <translation>Relay output 1</translation>
    </message>
    <message>
        <source>继电器输出2</source>
        <translation>Relay output 2</translation>
    </message>
    <message>
        <source>继电器输出3</source>
        <translation>Relay output 3</translation>
    </message>
    <message>
        <source>越限报警显示</source>
        <translation>Limit alarms</translation>
    </message>
    <message>
        <source>KZ5500E电参数测试仪</source>
        <translation>KZ5500E Power Meter</translation>
    </message>
    <message>
        <source>上载、下载参数选择</source>
        <translation>Settings to read or write</translation>
    </message>
    <message>
        <source>上载</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>下载</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>请选择上载、下载参数！</source>
        <translation>Select the settings to read or write!</translation>
    </message>
    <message>
        <source>AB相电压</source>
        <translation>AB line voltage</translation>
    </message>
    <message>
        <source>BA相电压</source>
        <translation>BA line voltage</translation>
    </message>
    <message>
        <source>CA相电压</source>
        <translation>CA line voltage</translation>
    </message>
    <message>
        <source>相平均电流</source>
        <translation>Average phase current</translation>
    </message>
    <message>
        <source>相频率</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>C相无功功率率</source>
        <translation>Phase C reactive power</translation>
    </message>
    <message>
        <source>有功总电能</source>
        <translation>Total active energy</translation>
    </message>
    <message>
        <source>无功总电能</source>
        <translation>Total reactive energy</translation>
    </message>
    <message>
        <source>正向有功电能</source>
        <translation>Import active energy</translation>
    </message>
    <message>
        <source>反向有功电能</source>
        <translation>Export active energy</translation>
    </message>
    <message>
        <source>正向无功电能</source>
        <translation>Import reactive energy</translation>
    </message>
    <message>
        <source>反向无功电能</source>
        <translation>Export reactive energy</translation>
    </message>
    <message>
        <source>电压相关参数测量</source>
        <translation>Voltage measurements</translation>
    </message>
    <message>
        <source>电压测量</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>电流、频率测量</source>
        <translation>Current and frequency</translation>
    </message>
    <message>
        <source>有功、无功功率测量</source>
        <translation>Active and reactive power</translation>
    </message>
    <message>
        <source>视在功率、功率因数测量</source>
        <translation>Apparent power and power factor</translation>
    </message>
    <message>
        <source>电能测量</source>
        <translation>Energy</translation>
    </message>
    <message>
        <source>OUT1合闸</source>
        <translation>Close OUT1</translation>
    </message>
    <message>
        <source>OUT1合闸成功！！！</source>
        <translation>OUT1 closed!</translation>
    </message>
    <message>
        <source>OUT2合闸</source>
        <translation>Close OUT2</translation>
    </message>
    <message>
        <source>OUT2合闸成功！！！</source>
        <translation>OUT2 closed!</translation>
    </message>
    <message>
        <source>OUT3合闸</source>
        <translation>Close OUT3</translation>
    </message>
    <message>
        <source>OUT3合闸成功！！！</source>
        <translation>OUT3 closed!</translation>
    </message>
    <message>
        <source>OUT1拉闸</source>
        <translation>Open OUT1</translation>
    </message>
    <message>
        <source>OUT1拉闸成功！！！</source>
        <translation>OUT1 opened!</translation>
    </message>
    <message>
        <source>OUT2拉闸</source>
        <translation>Open OUT2</translation>
    </message>
    <message>
        <source>OUT2拉闸成功！！！</source>
        <translation>OUT2 opened!</translation>
    </message>
    <message>
        <source>OUT3拉闸</source>
        <translation>Open OUT3</translation>
    </message>
    <message>
        <source>OUT3拉闸成功！！！</source>
        <translation>OUT3 opened!</translation>
    </message>
    <message>
        <source>读输入状态</source>
        <translation>Read input states</translation>
    </message>
    <message>
        <source>读输出状态</source>
        <translation>Read output states</translation>
    </message>
    <message>
        <source>A相电压事件记录</source>
        <translation>Phase A voltage events</translation>
    </message>
    <message>
        <source>B相电压事件记录</source>
        <translation>Phase B voltage events</translation>
    </message>
    <message>
        <source>C相电压事件记录</source>
        <translation>Phase C voltage events</translation>
    </message>
    <message>
        <source>AB相电压事件记录</source>
        <translation>AB voltage events</translation>
    </message>
    <message>
        <source>BC相电压事件记录</source>
        <translation>BC voltage events</translation>
    </message>
    <message>
        <source>CA相电压事件记录</source>
        <translation>CA voltage events</translation>
    </message>
    <message>
        <source>三相相平均电压事件记录</source>
        <translation>Average phase voltage events</translation>
    </message>
    <message>
        <source>三相电压不平衡事件记录</source>
        <translation>Voltage unbalance events</translation>
    </message>
    <message>
        <source>A相电流事件记录</source>
        <translation>Phase A current events</translation>
    </message>
    <message>
        <source>B相电流事件记录</source>
        <translation>Phase B current events</translation>
    </message>
    <message>
        <source>C相电流事件记录</source>
        <translation>Phase C current events</translation>
    </message>
    <message>
        <source>三相平均电流事件记录</source>
        <translation>Average current events</translation>
    </message>
    <message>
        <source>零序电流事件记录</source>
        <translation>Zero-sequence current events</translation>
    </message>
    <message>
        <source>三相电流不平衡事件记录</source>
        <translation>Current unbalance events</translation>
    </message>
    <message>
        <source>A相功率因数事件记录</source>
        <translation>Phase A power factor events</translation>
    </message>
    <message>
        <source>B相功率因数事件记录</source>
        <translation>Phase B power factor events</translation>
    </message>
    <message>
        <source>C相功率因数事件记录</source>
        <translation>Phase C power factor events</translation>
    </message>
    <message>
        <source>合相功率因数事件记录</source>
        <translation>Total power factor events</translation>
    </message>
    <message>
        <source>A相有功功率事件记录</source>
        <translation>Phase A active power events</translation>
    </message>
    <message>
        <source>B相有功功率事件记录</source>
        <translation>Phase B active power events</translation>
    </message>
    <message>
        <source>C相有功功率事件记录</source>
        <translation>Phase C active power events</translation>
    </message>
    <message>
        <source>合相有功功率事件记录</source>
        <translation>Total active power events</translation>
    </message>
    <message>
        <source>相频率事件记录</source>
        <translation>Frequency events</translation>
    </message>
    <message>
        <source>开关量输入信号1</source>
        <translation>Digital input 1</translation>
    </message>
    <message>
        <source>开关量输入信号2</source>
        <translation>Digital input 2</translation>
    </message>
    <message>
        <source>开关量输入信号3</source>
        <translation>Digital input 3</translation>
    </message>
    <message>
        <source>开关量输出信号1</source>
        <translation>Digital output 1</translation>
    </message>
    <message>
        <source>开关量输出信号2</source>
        <translation>Digital output 2</translation>
    </message>
    <message>
        <source>开关量输出信号3</source>
        <translation>Digital output 3</translation>
    </message>
    <message>
        <source>通讯</source>
        <translation>Communication</translation>
    </message>
    <message>
        <source>三线</source>
        <translation>3-wire</translation>
    </message>
    <message>
        <source>四线</source>
        <translation>4-wire</translation>
    </message>
    <message>
        <source>上显示窗</source>
        <translation>Upper display</translation>
    </message>
    <message>
        <source>上单位</source>
        <translation>Upper unit</translation>
    </message>
    <message>
        <source>中显示窗</source>
        <translation>Middle display</translation>
    </message>
    <message>
        <source>中单位</source>
        <translation>Middle unit</translation>
    </message>
    <message>
        <source>下显示窗</source>
        <translation>Lower display</translation>
    </message>
    <message>
        <source>下单位</source>
        <translation>Lower unit</translation>
    </message>
    <message>
        <source>下单位2</source>
        <translation>Lower unit 2</translation>
    </message>
    <message>
        <source>下</source>
        <translation>Lower</translation>
    </message>
    <message>
        <source>编号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>事件名称</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>事件数据</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>事件发生时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>KZ5500M模块校验窗口</source>
        <translation>KZ5500M module calibration</translation>
    </message>
    <message>
        <source>模块地址：</source>
        <translation>Module address:</translation>
    </message>
    <message>
        <source>电量参数测量</source>
        <translation>Measurements</translation>
    </message>
    <message>
        <source>遥测、遥信</source>
        <translation>Inputs and relays</translation>
    </message>
    <message>
        <source>越限状态显示</source>
        <translation>Limit states</translation>
    </message>
    <message>
        <source>事件记录显示</source>
        <translation>Event log</translation>
    </message>
    <message>
        <source>仪表当前状态</source>
        <translation>Meter state</translation>
    </message>
    <message>
        <source>报警屏蔽设置</source>
        <translation>Alarm mask settings</translation>
    </message>
    <message>
        <source>上下限报警值设置</source>
        <translation>Limit settings</translation>
    </message>
    <message>
        <source>窗口显示参数设置</source>
        <translation>Display settings</translation>
    </message>
    <message>
        <source>仪表初始化设置</source>
        <translation>Initial settings</translation>
    </message>
    <message>
        <source>其它</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>模块校表</source>
        <translation>Module calibration</translation>
    </message>
    <message>
        <source>KZ5700E报警起用设置窗口</source>
        <translation>KZ5700E alarm enables</translation>
    </message>
    <message>
        <source>普通模式</source>
        <translation>Normal mode</translation>
    </message>
    <message>
        <source>基波模式</source>
        <translation>Fundamental mode</translation>
    </message>
    <message>
        <source>谐波模式</source>
        <translation>Harmonic mode</translation>
    </message>
    <message>
        <source>继电器对应开关量输入</source>
        <translation>Relays for digital inputs</translation>
    </message>
    <message>
        <source>KZ5700E报警参数设置</source>
        <translation>KZ5700E alarm settings</translation>
    </message>
    <message>
        <source>输入信号选择</source>
        <translation>Input active state</translation>
    </message>
    <message>
        <source>报警对应继电器</source>
        <translation>Alarm relay</translation>
    </message>
    <message>
        <source>下载参数选择：</source>
        <translation>Settings to write:</translation>
    </message>
    <message>
        <source>KZ5700报警状态窗口</source>
        <translation>KZ5700 alarm states</translation>
    </message>
    <message>
        <source>当前越限报警显示</source>
        <translation>Current limit alarms</translation>
    </message>
    <message>
        <source>测量模式</source>
        <translation>Measuring mode</translation>
    </message>
    <message>
        <source>有功功率（100%I）- 1.0      [ 1 ]</source>
        <translation>Active power (100%I) PF 1.0    [ 1 ]</translation>
    </message>
    <message>
        <source>有功功率（10%I ）- 1.0      [ 2 ]</source>
        <translation>Active power (10%I) PF 1.0     [ 2 ]</translation>
    </message>
    <message>
        <source>有功功率（100%I）- 0.5L     [ 3 ]</source>
        <translation>Active power (100%I) PF 0.5L   [ 3 ]</translation>
    </message>
    <message>
        <source>有功功率（10%I ）- 0.5L     [ 4 ]</source>
        <translation>Active power (10%I) PF 0.5L    [ 4 ]</translation>
    </message>
    <message>
        <source>电压                        [ 5 ]</source>
        <translation>Voltage                        [ 5 ]</translation>
    </message>
    <message>
        <source>电流                        [ 6 ]</source>
        <translation>Current                        [ 6 ]</translation>
    </message>
    <message>
        <source>单相表默认校验方案</source>
        <translation>Single-phase meter default calibration plan</translation>
    </message>
    <message>
        <source>KZ827KVE默认校验方案</source>
        <translation>KZ827KVE default calibration plan</translation>
    </message>
    <message>
        <source>KZ5700E窗口显示设置</source>
        <translation>KZ5700E display settings</translation>
    </message>
    <message>
        <source>上窗口参数设置</source>
        <translation>Upper display</translation>
    </message>
    <message>
        <source>中窗口参数设置</source>
        <translation>Middle display</translation>
    </message>
    <message>
        <source>下窗口参数设置</source>
        <translation>Lower display</translation>
    </message>
    <message>
        <source>定时</source>
        <translation>Timer</translation>
    </message>
    <message>
        <source>KZ5700E初始化设置窗口</source>
        <translation>KZ5700E initial settings</translation>
    </message>
    <message>
        <source>最大被率为9999</source>
        <translation>The highest ratio is 9999</translation>
    </message>
    <message>
        <source>数据上载成功！！</source>
        <translation>Data read!</translation>
    </message>
    <message>
        <source>视在功率</source>
        <translation>Apparent power</translation>
    </message>
    <message>
        <source>KZ5700电量测量窗口</source>
        <translation>KZ5700 measurements</translation>
    </message>
    <message>
        <source>电压上限</source>
        <translation>Voltage upper limit</translation>
    </message>
    <message>
        <source>电压下限</source>
        <translation>Voltage lower limit</translation>
    </message>
    <message>
        <source>频率上限</source>
        <translation>Frequency upper limit</translation>
    </message>
    <message>
        <source>频率下限</source>
        <translation>Frequency lower limit</translation>
    </message>
    <message>
        <source>电流上限</source>
        <translation>Current upper limit</translation>
    </message>
    <message>
        <source>电流下限</source>
        <translation>Current lower limit</translation>
    </message>
    <message>
        <source>功率因数上限</source>
        <translation>Power factor upper limit</translation>
    </message>
    <message>
        <source>功率因数下限</source>
        <translation>Power factor lower limit</translation>
    </message>
    <message>
        <source>无功功率上限</source>
        <translation>Reactive power upper limit</translation>
    </message>
    <message>
        <source>无功功率下限</source>
        <translation>Reactive power lower limit</translation>
    </message>
    <message>
        <source>有功功率上限</source>
        <translation>Active power upper limit</translation>
    </message>
    <message>
        <source>有功功率下限</source>
        <translation>Active power lower limit</translation>
    </message>
    <message>
        <source>普通模式电压事件记录</source>
        <translation>Normal mode voltage events</translation>
    </message>
    <message>
        <source>普通模式电流事件记录</source>
        <translation>Normal mode current events</translation>
    </message>
    <message>
        <source>普通模式频率事件记录</source>
        <translation>Normal mode frequency events</translation>
    </message>
    <message>
        <source>普通模式功率因数事件记录</source>
        <translation>Normal mode power factor events</translation>
    </message>
    <message>
        <source>普通模式有功功率事件记录</source>
        <translation>Normal mode active power events</translation>
    </message>
    <message>
        <source>普通模式无功功率事件记录</source>
        <translation>Normal mode reactive power events</translation>
    </message>
    <message>
        <source>基波模式电压事件记录</source>
        <translation>Fundamental voltage events</translation>
    </message>
    <message>
        <source>基波模式电流事件记录</source>
        <translation>Fundamental current events</translation>
    </message>
    <message>
        <source>基波模式频率事件记录</source>
        <translation>Fundamental frequency events</translation>
    </message>
    <message>
        <source>基波模式功率因数事件记录</source>
        <translation>Fundamental power factor events</translation>
    </message>
    <message>
        <source>基波模式有功功率事件记录</source>
        <translation>Fundamental active power events</translation>
    </message>
    <message>
        <source>基波模式无功功率事件记录</source>
        <translation>Fundamental reactive power events</translation>
    </message>
    <message>
        <source>谐波模式电压事件记录</source>
        <translation>Harmonic voltage events</translation>
    </message>
    <message>
        <source>谐波模式电流事件记录</source>
        <translation>Harmonic current events</translation>
    </message>
    <message>
        <source>谐波模式有功功率事件记录</source>
        <translation>Harmonic active power events</translation>
    </message>
    <message>
        <source>谐波模式无功功率事件记录</source>
        <translation>Harmonic reactive power events</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>报警恢复</source>
        <translation>Alarm cleared</translation>
    </message>
    <message>
        <source>上限报警</source>
        <translation>Upper limit alarm</translation>
    </message>
    <message>
        <source>上限报警恢复</source>
        <translation>Upper limit alarm cleared</translation>
    </message>
    <message>
        <source>下限报警</source>
        <translation>Lower limit alarm</translation>
    </message>
    <message>
        <source>下限报警恢复</source>
        <translation>Lower limit alarm cleared</translation>
    </message>
    <message>
        <source>断相报警</source>
        <translation>Phase loss alarm</translation>
    </message>
    <message>
        <source>断相报警恢复</source>
        <translation>Phase loss alarm cleared</translation>
    </message>
    <message>
        <source>基波</source>
        <translation>Fundamental</translation>
    </message>
    <message>
        <source>谐波</source>
        <translation>Harmonic</translation>
    </message>
    <message>
        <source>无对应|对应开关量信号DI1|对应开关量信号DI2|对应开关量信号DI3</source>
        <translation>None|Digital input DI1|Digital input DI2|Digital input DI3</translation>
    </message>
    <message>
        <source>断相</source>
        <translation>Phase loss</translation>
    </message>
    <message>
        <source>继电器DO1：</source>
        <translation>Relay DO1:</translation>
    </message>
    <message>
        <source>继电器DO2：</source>
        <translation>Relay DO2:</translation>
    </message>
    <message>
        <source>继电器DO3：</source>
        <translation>Relay DO3:</translation>
    </message>
    <message>
        <source>普通模式|基波模式|谐波模式</source>
        <translation>Normal mode|Fundamental mode|Harmonic mode</translation>
    </message>
    <message>
        <source>电压被率</source>
        <translation>PT ratio</translation>
    </message>
    <message>
        <source>电流被率</source>
        <translation>CT ratio</translation>
    </message>
    <message>
        <source>普通</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>循环测量|电压测量|相频率测量</source>
        <translation>Cycle|Voltage|Frequency</translation>
    </message>
    <message>
        <source>循环测量|电流测量|功率因数测量</source>
        <translation>Cycle|Current|Power factor</translation>
    </message>
    <message>
        <source>循环测量|有功功率测量|无功功率测量|视在功率测量|有功总电能低字节测量|有功总电能高字节测量|正向有功总电能低字节测量|正向有功总电能高字节测量|反向有功总电能低字节测量|反向有功总电能高字节测量|无功总电能低字节测量|无功总电能高字节测量|正向无功总电能低字节测量|正向无功总电能高字节测量|反向无功总电能低字节测量|反向无功总电能高字节测量</source>
        <translation>Cycle|Active power|Reactive power|Apparent power|Active energy low|Active energy high|Import active energy low|Import active energy high|Export active energy low|Export active energy high|Reactive energy low|Reactive energy high|Import reactive energy low|Import reactive energy high|Export reactive energy low|Export reactive energy high</translation>
    </message>
    <message>
        <source>DI1报警对应继电器</source>
        <translation>DI1 alarm relay</translation>
    </message>
    <message>
        <source>无对应|对应DO1|对应DO2|对应DO3</source>
        <translation>None|DO1|DO2|DO3</translation>
    </message>
    <message>
        <source>DI2报警对应继电器</source>
        <translation>DI2 alarm relay</translation>
    </message>
    <message>
        <source>DI3报警对应继电器</source>
        <translation>DI3 alarm relay</translation>
    </message>
    <message>
        <source>DI1输入信号选择</source>
        <translation>DI1 active state</translation>
    </message>
    <message>
        <source>接通有效|断开有效</source>
        <translation>Active closed|Active open</translation>
    </message>
    <message>
        <source>DI2输入信号选择</source>
        <translation>DI2 active state</translation>
    </message>
    <message>
        <source>DI3输入信号选择</source>
        <translation>DI3 active state</translation>
    </message>
    <message>
        <source>事件类型</source>
        <translation>Event type</translation>
    </message>
    <message>
        <source>KZ5700遥测、遥信窗口</source>
        <translation>KZ5700 inputs and relays</translation>
    </message>
    <message>
        <source>KZ5700事件记录窗口</source>
        <translation>KZ5700 event log</translation>
    </message>
    <message>
        <source>KZ5700E通讯、波特率、时间设置窗口</source>
        <translation>KZ5700E address, baud rate and clock</translation>
    </message>
    <message>
        <source>KZ5700E单相电参数表校验窗口</source>
        <translation>KZ5700E single-phase meter calibration</translation>
    </message>
    <message>
        <source>地址：</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>上下限报警设置</source>
        <translation>Limit alarm settings</translation>
    </message>
    <message>
        <source>仪表校表</source>
        <translation>Meter calibration</translation>
    </message>
    <message>
        <source>其它参数设置</source>
        <translation>Other settings</translation>
    </message>
    <message>
        <source>警告！电压数据输入错误！！</source>
        <translation>Warning! Invalid voltage value!</translation>
    </message>
    <message>
        <source>警告！电流数据输入错误！！</source>
        <translation>Warning! Invalid current value!</translation>
    </message>
    <message>
        <source>警告！有功功率数据输入错误！！</source>
        <translation>Warning! Invalid active power value!</translation>
    </message>
    <message>
        <source>报警参数设置</source>
        <translation>Alarm settings</translation>
    </message>
    <message>
        <source>上限回差值</source>
        <translation>Upper limit hysteresis</translation>
    </message>
    <message>
        <source>上限报警继电器</source>
        <translation>Upper limit alarm relay</translation>
    </message>
    <message>
        <source>上限报警启用</source>
        <translation>Upper limit alarm on</translation>
    </message>
    <message>
        <source>下限回差值</source>
        <translation>Lower limit hysteresis</translation>
    </message>
    <message>
        <source>下限报警继电器</source>
        <translation>Lower limit alarm relay</translation>
    </message>
    <message>
        <source>下限报警启用</source>
        <translation>Lower limit alarm on</translation>
    </message>
    <message>
        <source>电压数据范围（0.000V---9999KV）；电流数据范围（0.000A---9999KA）；功率数据范围（0.000W---9999MW）超出时数据无效</source>
        <translation>Voltage range (0.000V---9999KV); current range (0.000A---9999KA); power range (0.000W---9999MW); values outside are invalid</translation>
    </message>
    <message>
        <source>电压（100%U）- 1.0      [ 1 ]</source>
        <translation>Voltage (100%U) PF 1.0       [ 1 ]</translation>
    </message>
    <message>
        <source>电流（100%I ）- 1.0     [ 2 ]</source>
        <translation>Current (100%I) PF 1.0       [ 2 ]</translation>
    </message>
    <message>
        <source>有功功率（100%UI）- 1.0 [ 3 ]</source>
        <translation>Active power (100%UI) PF 1.0 [ 3 ]</translation>
    </message>
    <message>
        <source>相位（100%UI ）- 0.5L   [ 4 ]</source>
        <translation>Phase (100%UI) PF 0.5L       [ 4 ]</translation>
    </message>
    <message>
        <source>电压零电平校准</source>
        <translation>Calibrate voltage zero level</translation>
    </message>
    <message>
        <source>电流零电平校准</source>
        <translation>Calibrate current zero level</translation>
    </message>
    <message>
        <source>电压零电平清零</source>
        <translation>Clear voltage zero level</translation>
    </message>
    <message>
        <source>电流零电平清零</source>
        <translation>Clear current zero level</translation>
    </message>
    <message>
        <source>KZ827KVE校准窗口</source>
        <translation>KZ827KVE calibration</translation>
    </message>
    <message>
        <source>零电平</source>
        <translation>Zero level</translation>
    </message>
    <message>
        <source>电压零电平：</source>
        <translation>Voltage zero level:</translation>
    </message>
    <message>
        <source>电流零电平：</source>
        <translation>Current zero level:</translation>
    </message>
    <message>
        <source>校   准</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>清   零</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>校准</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>KZ827KVE电量测量窗口</source>
        <translation>KZ827KVE measurements</translation>
    </message>
    <message>
        <source>KZ827初始化参数设置</source>
        <translation>KZ827 initial settings</translation>
    </message>
    <message>
        <source>通讯拨特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>原地址</source>
        <translation>Old address</translation>
    </message>
    <message>
        <source>新地址</source>
        <translation>New address</translation>
    </message>
    <message>
        <source>KZ827遥控</source>
        <translation>KZ827 remote control</translation>
    </message>
    <message>
        <source>数据下载失败！！</source>
        <translation>Writing the data failed!</translation>
    </message>
    <message>
        <source>KZ827校准</source>
        <translation>KZ827 calibration</translation>
    </message>
    <message>
        <source>仪表类型</source>
        <translation>Meter type</translation>
    </message>
    <message>
        <source>通信地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>开始时间</source>
        <translation>Start time</translation>
    </message>
    <message>
        <source>结束时间</source>
        <translation>End time</translation>
    </message>
    <message>
        <source>校验方案</source>
        <translation>Calibration plan</translation>
    </message>
    <message>
        <source>方案来源</source>
        <translation>Plan source</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>校验点数</source>
        <translation>Points</translation>
    </message>
    <message>
        <source>点</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>校验参数</source>
        <translation>Quantity</translation>
    </message>
    <message>
        <source>标准源</source>
        <translation>Reference source</translation>
    </message>
    <message>
        <source>标准值</source>
        <translation>Reference value</translation>
    </message>
    <message>
        <source>校验前</source>
        <translation>Before</translation>
    </message>
    <message>
        <source>校验后</source>
        <translation>After</translation>
    </message>
    <message>
        <source>误差(%)</source>
        <translation>Error (%)</translation>
    </message>
    <message>
        <source>限值(%)</source>
        <translation>Limit (%)</translation>
    </message>
    <message>
        <source>次数</source>
        <translation>Reads</translation>
    </message>
    <message>
        <source>仪表校验证书</source>
        <translation>Meter Calibration Certificate</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1：</source>
        <translation>%1:</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>%1H</source>
        <translation>%1 H</translation>
    </message>
    <message>
        <source>%1L</source>
        <translation>%1 L</translation>
    </message>
    <message>
        <source>%1上限</source>
        <translation>%1 upper limit</translation>
    </message>
    <message>
        <source>%1下限</source>
        <translation>%1 lower limit</translation>
    </message>
    <message>
        <source>%1回差值</source>
        <translation>%1 hysteresis</translation>
    </message>
    <message>
        <source>%1报警延时</source>
        <translation>%1 alarm delay</translation>
    </message>
    <message>
        <source>%1报警继电器</source>
        <translation>%1 alarm relay</translation>
    </message>
    <message>
        <source>%1测量</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>%1接通有效</source>
        <translation>%1 active closed</translation>
    </message>
    <message>
        <source>%1断开有效</source>
        <translation>%1 active open</translation>
    </message>
    <message>
        <source>普通模式%1</source>
        <translation>Normal %1</translation>
    </message>
    <message>
        <source>基波模式%1</source>
        <translation>Fundamental %1</translation>
    </message>
    <message>
        <source>谐波模式%1</source>
        <translation>Harmonic %1</translation>
    </message>
    <message>
        <source>基波%1</source>
        <translation>Fundamental %1</translation>
    </message>
    <message>
        <source>谐波%1</source>
        <translation>Harmonic %1</translation>
    </message>
    <message>
        <source>对应开关量信号%1</source>
        <translation>Digital input %1</translation>
    </message>
    <message>
        <source>对应%1</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>时间,地址,校验点,校验参数,操作,标准表数据,读数,校验数据,结果,校验前读数,校验后读数,误差(%),次数,判定</source>
        <translation>Time,Address,Point,Quantity,Action,Reference value,Reading,Calibration data,Result,Reading before,Reading after,Error(%),Reads,Verdict</translation>
    </message>
    <message>
        <source>八次读数相差 %1%，</source>
        <translation>eight readings differ by %1%, </translation>
    </message>
    <message>
        <source>读数 %1 秒内未稳定（%2允许 %3%）</source>
        <translation>Reading not stable within %1 s (%2allowed %3%)</translation>
    </message>
    <message>
        <source>误差 %1 超出 ±%2%</source>
        <translation>Error %1 exceeds ±%2%</translation>
    </message>
    <message>
        <source>第 %1 点（%2）%3</source>
        <translation>Point %1 (%2) %3</translation>
    </message>
    <message>
        <source>无法打开记录文件 %1：%2</source>
        <translation>Cannot open record file %1: %2</translation>
    </message>
    <message>
        <source>写记录文件 %1 出错（%2），记录已停止。</source>
        <translation>Error writing record file %1 (%2); recording stopped.</translation>
    </message>
    <message>
        <source>“%1”不能大于16777215.99！</source>
        <translation>&quot;%1&quot; must not exceed 16777215.99!</translation>
    </message>
    <message>
        <source>“%1”不能为负数！</source>
        <translation>&quot;%1&quot; must not be negative!</translation>
    </message>
    <message>
        <source>请选择“%1”！</source>
        <translation>Select &quot;%1&quot;!</translation>
    </message>
    <message>
        <source>异常 %1 %2</source>
        <translation>Exception %1 %2</translation>
    </message>
    <message>
        <source>读应答 ×%1</source>
        <translation>Read reply ×%1</translation>
    </message>
    <message>
        <source>%1应答 %2 字节</source>
        <translation>%1 reply %2 bytes</translation>
    </message>
    <message>
        <source>写线圈 %1 = %2</source>
        <translation>Write coil %1 = %2</translation>
    </message>
    <message>
        <source>写 %1 ×1</source>
        <translation>Write %1 ×1</translation>
    </message>
    <message>
        <source>功能 %1</source>
        <translation>Function %1</translation>
    </message>
    <message>
        <source>间隔须为1～%1毫秒！</source>
        <translation>The interval must be 1 to %1 ms!</translation>
    </message>
    <message>
        <source>无法保存到 %1：%2</source>
        <translation>Cannot save to %1: %2</translation>
    </message>
    <message>
        <source>校验记录-%1.csv</source>
        <translation>calibration-record-%1.csv</translation>
    </message>
    <message>
        <source>校验记录无法写入 %1：%2</source>
        <translation>Cannot write the calibration record %1: %2</translation>
    </message>
    <message>
        <source>校验记录已保存到 %1，以后的每一步都会接着写入。</source>
        <translation>Calibration record saved to %1; every further step is appended.</translation>
    </message>
    <message>
        <source>请将标准源设为 %1，标准表应显示 %2，然后按[继续]。</source>
        <translation>Set the reference source to %1; the reference meter should show %2. Then press [Continue].</translation>
    </message>
    <message>
        <source>第 %1/%2 点：%3，%4</source>
        <translation>Point %1/%2: %3, %4</translation>
    </message>
    <message>
        <source>误差：%1</source>
        <translation>Error: %1</translation>
    </message>
    <message>
        <source>引导校验%1：%2/%3 点合格</source>
        <translation>Guided calibration %1: %2/%3 points passed</translation>
    </message>
    <message>
        <source>校验证书-%1.pdf</source>
        <translation>calibration-certificate-%1.pdf</translation>
    </message>
    <message>
        <source>校验证书无法写入 %1：%2</source>
        <translation>Cannot write the calibration certificate %1: %2</translation>
    </message>
    <message>
        <source>校验证书已保存到 %1。</source>
        <translation>Calibration certificate saved to %1.</translation>
    </message>
    <message>
        <source>校验方案不能使用：%1</source>
        <translation>The calibration plan cannot be used: %1</translation>
    </message>
    <message>
        <source>方案：%1（%2 点）</source>
        <translation>Plan: %1 (%2 points)</translation>
    </message>
    <message>
        <source>正在记录到 %1</source>
        <translation>Recording to %1</translation>
    </message>
    <message>
        <source>模拟仪表程序 %1 在 %2 秒内没有就绪，演示模式不可用。</source>
        <translation>The meter simulator %1 was not ready within %2 s; demo mode is not available.</translation>
    </message>
    <message>
        <source>找不到模拟仪表程序 %1，演示模式不可用。</source>
        <translation>Meter simulator %1 not found; demo mode is not available.</translation>
    </message>
    <message>
        <source>退出码 %1</source>
        <translation>exit code %1</translation>
    </message>
    <message>
        <source>模拟仪表程序 %1 没有就绪就退出了（%2），演示模式不可用。%3</source>
        <translation>The meter simulator %1 exited before it was ready (%2); demo mode is not available.%3</translation>
    </message>
    <message>
        <source>模拟仪表程序已退出（%1），模拟仪表不再应答。%2</source>
        <translation>The meter simulator exited (%1); the simulated meters no longer answer.%2</translation>
    </message>
    <message>
        <source>模拟仪表程序 %1 无法启动：%2</source>
        <translation>The meter simulator %1 cannot start: %2</translation>
    </message>
    <message>
        <source>
测量已停止，重新打开%1后请按“启  动”。</source>
        <translation>
Measuring has stopped. %1: open it again, then press &quot;Start&quot;.</translation>
    </message>
    <message>
        <source>通讯口“%1”无效！请从列表中选择，或输入设备路径（如 /dev/ttyUSB0）或 COMn。</source>
        <translation>Invalid port &quot;%1&quot;! Choose one from the list or type a device path (e.g. /dev/ttyUSB0) or COMn.</translation>
    </message>
    <message>
        <source>%1！请输入主机名、IPv4 地址或 IPv6 地址。</source>
        <translation>%1! Enter a host name, an IPv4 address or an IPv6 address.</translation>
    </message>
    <message>
        <source>端口号“%1”无效！应为 1～65535 的整数。</source>
        <translation>Invalid port number &quot;%1&quot;! It must be a whole number from 1 to 65535.</translation>
    </message>
    <message>
        <source>请选择%1！</source>
        <translation>Select the %1!</translation>
    </message>
    <message>
        <source>%1“%2”不是列表中的选项，请从列表中选择！</source>
        <translation>%1 &quot;%2&quot; is not in the list. Choose one from the list!</translation>
    </message>
    <message>
        <source>无法连接 %1！</source>
        <translation>Cannot connect to %1!</translation>
    </message>
    <message>
        <source>无法打开串口 %1！</source>
        <translation>Cannot open serial port %1!</translation>
    </message>
    <message>
        <source>
原连接 %1 仍保持打开。</source>
        <translation>
The previous connection %1 stays open.</translation>
    </message>
    <message>
        <source>
原连接 %1 已关闭。</source>
        <translation>
The previous connection %1 was closed.</translation>
    </message>
    <message>
        <source>
原串口 %1 仍保持打开。</source>
        <translation>
The previous serial port %1 stays open.</translation>
    </message>
    <message>
        <source>
原串口 %1 已关闭。</source>
        <translation>
The previous serial port %1 was closed.</translation>
    </message>
    <message>
        <source>%1 (模拟仪表)</source>
        <translation>%1 (simulated meters)</translation>
    </message>
    <message>
        <source>显示 %1 帧；共记录 %2 帧（保留最近 %3 帧）</source>
        <translation>Showing %1 frames; %2 recorded (the last %3 are kept)</translation>
    </message>
    <message>
        <source>无法保存图片到 %1</source>
        <translation>Cannot save the picture to %1</translation>
    </message>
    <message>
        <source>警告！%1数据长度输入超量程！！（有小数点的数最长不能大于5，无小数点的数最长不能大于4</source>
        <translation>Warning! %1 value too long! (at most 5 characters with a decimal point, 4 without</translation>
    </message>
    <message>
        <source>操作步骤：一、先对电压、电流的零点进行清零然后再对零点进行校准。二、按下[读启用]，待数据稳定后（标准表
数据窗口中的数据和监视表数据的误差应在0.05%）－－＞按下[读停止]－－＞按下[计算]－－＞按下[写入]，该参
数校验完成,重复以上过程直至所有参数全部校完。</source>
        <translation>Steps: 1. First zero the voltage and current zero levels, then calibrate them. 2. Press [Start reading]; when the readings are stable (the reference
meter and the meter under test should agree within 0.05%) --&gt; press [Stop reading] --&gt; press [Calculate] --&gt; press [Write]. The
quantity is then calibrated; repeat for every quantity.</translation>
    </message>
    <message>
        <source>“%1”不能大于9999！</source>
        <translation>&quot;%1&quot; must not exceed 9999!</translation>
    </message>
    <message>
        <source>&lt;p&gt;运行停止于%1；此前写入的校验数据保留在仪表中。&lt;/p&gt;</source>
        <translation>&lt;p&gt;The run stopped at %1; calibration data written before stays in the meter.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;方案中 %1 个点未校验。&lt;/p&gt;</source>
        <translation>&lt;p&gt;%1 points of the plan were not calibrated.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;h2 align=&quot;center&quot;&gt;结论：%1&lt;/h2&gt;</source>
        <translation>&lt;h2 align=&quot;center&quot;&gt;Verdict: %1&lt;/h2&gt;</translation>
    </message>
    <message>
        <source>&lt;br/&gt;&lt;table width=&quot;100%&quot;&gt;&lt;tr&gt;&lt;td&gt;校验员：________________&lt;/td&gt;&lt;td&gt;审核：________________&lt;/td&gt;&lt;td&gt;日期：________________&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;br/&gt;&lt;table width=&quot;100%&quot;&gt;&lt;tr&gt;&lt;td&gt;Calibrated by: ________________&lt;/td&gt;&lt;td&gt;Checked by: ________________&lt;/td&gt;&lt;td&gt;Date: ________________&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>%1报警启用</source>
        <translation>%1 alarm on</translation>
    </message>
    <message>
        <source>操作员：</source>
        <translation>Operator:</translation>
    </message>
    <message>
        <source>合格限</source>
        <translation>Pass limit</translation>
    </message>
    <message>
        <source>每点允许的误差，%，改动后用于方案的每一点</source>
        <translation>The error allowed at each point, in %; when changed it applies to every point of the plan</translation>
    </message>
    <message>
        <source>合格限：</source>
        <translation>Pass limit:</translation>
    </message>
    <message>
        <source>已发送</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>暂存，等当前应答处理完再发送</source>
        <translation>Held until the current reply is handled</translation>
    </message>
    <message>
        <source>已发送（暂存后）</source>
        <translation>Sent (after holding)</translation>
    </message>
    <message>
        <source>未发送：相同请求已在等待</source>
        <translation>Not sent: the same request is already waiting</translation>
    </message>
    <message>
        <source>未发送：串口未打开</source>
        <translation>Not sent: port not open</translation>
    </message>
    <message>
        <source>交给 %1</source>
        <translation>Handed to %1</translation>
    </message>
    <message>
        <source>丢弃：太短</source>
        <translation>Dropped: too short</translation>
    </message>
    <message>
        <source>丢弃：功能码 %1 不在应答表中</source>
        <translation>Dropped: function code %1 not in the reply table</translation>
    </message>
    <message>
        <source>丢弃：异常应答，异常码 %1</source>
        <translation>Dropped: exception reply, code %1</translation>
    </message>
    <message>
        <source>丢弃：CRC 错误</source>
        <translation>Dropped: CRC error</translation>
    </message>
    <message>
        <source>丢弃：没有接收窗口</source>
        <translation>Dropped: no receiving window</translation>
    </message>
    <message>
        <source>丢弃：请求来自 %1，应答已归 %2</source>
        <translation>Dropped: requested by %1, replies now go to %2</translation>
    </message>
    <message>
        <source>丢弃：没有等待应答的请求</source>
        <translation>Dropped: no request waiting for a reply</translation>
    </message>
    <message>
        <source>丢弃：发送前清除的未读字节</source>
        <translation>Dropped: unread bytes cleared before sending</translation>
    </message>
    <message>
        <source>，截自 %1 字节</source>
        <translation>, cut from %1 bytes</translation>
    </message>
    <message>
        <source>，地址与请求（%1）不符</source>
        <translation>, address does not match the request (%1)</translation>
    </message>
    <message>
        <source>无法打开跟踪文件 %1：%2</source>
        <translation>Cannot open trace file %1: %2</translation>
    </message>
    <message>
        <source>写跟踪文件 %1 出错（%2），跟踪已停止。</source>
        <translation>Error writing trace file %1 (%2); tracing stopped.</translation>
    </message>
    <message>
        <source>IPv6 地址“%1”格式错误</source>
        <translation>Malformed IPv6 address &quot;%1&quot;</translation>
    </message>
    <message>
        <source>IPv4 地址“%1”格式错误</source>
        <translation>Malformed IPv4 address &quot;%1&quot;</translation>
    </message>
    <message>
        <source>主机名“%1”格式错误</source>
        <translation>Malformed host name &quot;%1&quot;</translation>
    </message>
    <message>
        <source>端口号“%1”无效（应为 1～65535）</source>
        <translation>Invalid port number &quot;%1&quot; (must be 1 to 65535)</translation>
    </message>
    <message>
        <source>无法打开串口 %1：%2 (%3)</source>
        <translation>Cannot open serial port %1: %2 (%3)</translation>
    </message>
    <message>
        <source>串口 %1 已断开，已关闭该串口。请检查连接后重新打开。</source>
        <translation>Serial port %1 was disconnected and has been closed. Check the connection and open it again.</translation>
    </message>
    <message>
        <source>应答处理出错：%1</source>
        <translation>Error handling the reply: %1</translation>
    </message>
    <message>
        <source>串口参数格式错误：“%1”（应为 波特率,校验,数据位,停止位）</source>
        <translation>Malformed port settings &quot;%1&quot; (expected baud,parity,data bits,stop bits)</translation>
    </message>
    <message>
        <source>波特率无效：“%1”</source>
        <translation>Invalid baud rate &quot;%1&quot;</translation>
    </message>
    <message>
        <source>校验位无效：“%1”</source>
        <translation>Invalid parity &quot;%1&quot;</translation>
    </message>
    <message>
        <source>数据位无效：“%1”</source>
        <translation>Invalid data bits &quot;%1&quot;</translation>
    </message>
    <message>
        <source>停止位无效：“%1”</source>
        <translation>Invalid stop bits &quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1 ms 内未连上</source>
        <translation>Not connected within %1 ms</translation>
    </message>
    <message>
        <source>无法连接 %1：%2 (%3)</source>
        <translation>Cannot connect to %1: %2 (%3)</translation>
    </message>
    <message>
        <source>无法连接 %1：%2</source>
        <translation>Cannot connect to %1: %2</translation>
    </message>
    <message>
        <source>网络连接 %1 已断开，已关闭该连接。请检查网关后重新打开。(%2)</source>
        <translation>Network connection %1 was lost and has been closed. Check the gateway and open it again. (%2)</translation>
    </message>
    <message>
        <source>配置文件 (*.json);;所有文件 (*)</source>
        <translation>Settings files (*.json);;All files (*)</translation>
    </message>
    <message>
        <source>保存到文件</source>
        <translation>Save to file</translation>
    </message>
    <message>
        <source>未保存：%1</source>
        <translation>Not saved: %1</translation>
    </message>
    <message>
        <source>已保存到 %1：%2</source>
        <translation>Saved to %1: %2</translation>
    </message>
    <message>
        <source>从文件载入</source>
        <translation>Load from file</translation>
    </message>
    <message>
        <source>无法载入配置文件，未改动：%1</source>
        <translation>Cannot load the settings file; nothing changed: %1</translation>
    </message>
    <message>
        <source>%1 是 %2 仪表的配置文件，本窗口属于 %3 仪表，未载入。</source>
        <translation>%1 is a settings file of a %2 meter; this window is for a %3 meter. Not loaded.</translation>
    </message>
    <message>
        <source>%1 中没有%2的设置，未载入。</source>
        <translation>%1 has no %2 settings. Not loaded.</translation>
    </message>
    <message>
        <source>%1 中有不能下载的数值，未载入：%2</source>
        <translation>%1 holds values that cannot be written. Not loaded: %2</translation>
    </message>
    <message>
        <source>保存到文件…</source>
        <translation>Save to file…</translation>
    </message>
    <message>
        <source>从文件载入…</source>
        <translation>Load from file…</translation>
    </message>
    <message>
        <source>配置文件(&amp;F)…</source>
        <translation>Settings &amp;files…</translation>
    </message>
    <message>
        <source>参数块</source>
        <translation>Block</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>原因</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>已读出</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>已写入</source>
        <translation>Written</translation>
    </message>
    <message>
        <source>已写入，校验一致</source>
        <translation>Written and verified</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>跳过（型号不符，未写入）</source>
        <translation>Skipped (other model, not written)</translation>
    </message>
    <message>
        <source>已停止，未写入</source>
        <translation>Stopped, not written</translation>
    </message>
    <message>
        <source>配置文件</source>
        <translation>Settings files</translation>
    </message>
    <message>
        <source>仪表</source>
        <translation>Meter</translation>
    </message>
    <message>
        <source>仪表型号：</source>
        <translation>Meter model:</translation>
    </message>
    <message>
        <source>保存全部</source>
        <translation>Save all</translation>
    </message>
    <message>
        <source>与仪表比较</source>
        <translation>Compare with meter</translation>
    </message>
    <message>
        <source>批量下载</source>
        <translation>Write to many</translation>
    </message>
    <message>
        <source>比较两个文件</source>
        <translation>Compare two files</translation>
    </message>
    <message>
        <source>进度</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>窗口已关闭，运行已中止。</source>
        <translation>The window was closed; the run was stopped.</translation>
    </message>
    <message>
        <source>无法载入配置文件：%1</source>
        <translation>Cannot load the settings file: %1</translation>
    </message>
    <message>
        <source>比较：第一个文件</source>
        <translation>Compare: first file</translation>
    </message>
    <message>
        <source>比较：第二个文件</source>
        <translation>Compare: second file</translation>
    </message>
    <message>
        <source>起始地址大于结束地址，未下载。</source>
        <translation>The first address is above the last address. Nothing written.</translation>
    </message>
    <message>
        <source>文件中有不能下载的数值，未下载：
%1</source>
        <translation>The file holds values that cannot be written. Nothing written:
%1</translation>
    </message>
    <message>
        <source>正在停止：当前参数块完成后停止……</source>
        <translation>Stopping after the current block…</translation>
    </message>
    <message>
        <source>运行中……</source>
        <translation>Running…</translation>
    </message>
    <message>
        <source>运行中……已停止其他窗口的轮询：%1。</source>
        <translation>Running… Polling stopped in other windows: %1.</translation>
    </message>
    <message>
        <source>字段</source>
        <translation>Field</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>第一个值</source>
        <translation>First value</translation>
    </message>
    <message>
        <source>第二个值</source>
        <translation>Second value</translation>
    </message>
    <message>
        <source>比较结果：无差异。</source>
        <translation>Comparison: no differences.</translation>
    </message>
    <message>
        <source>比较结果：%1 处不同。</source>
        <translation>Comparison: %1 differences.</translation>
    </message>
    <message>
        <source>（已停止轮询的窗口：%1，请在其中按“启  动”重新开始。）</source>
        <translation>(Polling stopped in: %1. Press &quot;Start&quot; there to resume.)</translation>
    </message>
    <message>
        <source>保存全部失败，未保存：%1</source>
        <translation>Save all failed; not saved: %1</translation>
    </message>
    <message>
        <source>已保存全部参数到 %1。</source>
        <translation>All settings saved to %1.</translation>
    </message>
    <message>
        <source>比较失败：%1</source>
        <translation>Comparison failed: %1</translation>
    </message>
    <message>
        <source>批量下载结束：%1 台已写入并校验，%2 台型号不符已跳过，%3 台失败或未完成。</source>
        <translation>Writing finished: %1 meters written and verified, %2 of another model skipped, %3 failed or not done.</translation>
    </message>
    <message>
        <source>%1相 </source>
        <translation>Phase %1 </translation>
    </message>
    <message>
        <source>读数（清零前）</source>
        <translation> reading (before clearing)</translation>
    </message>
    <message>
        <source>仪表没有确认%1</source>
        <translation>the meter did not confirm %1</translation>
    </message>
    <message>
        <source>%1，已写回清零前的读数（校验数据 %2）</source>
        <translation>%1; the reading before clearing was written back (calibration data %2)</translation>
    </message>
    <message>
        <source>%1，校验数据仍为清零值 %2</source>
        <translation>%1; the calibration data is still the cleared value %2</translation>
    </message>
    <message>
        <source>操作员停止于%1</source>
        <translation>stopped by the operator at %1</translation>
    </message>
    <message>
        <source>中断</source>
        <translation>Interrupted</translation>
    </message>
    <message>
        <source>运行停止于%1</source>
        <translation>run stopped at %1</translation>
    </message>
    <message>
        <source>仪表连续 %1 次没有应答，显示的数值不是当前的</source>
        <translation>the meter did not answer %1 times in a row; the values shown are not current</translation>
    </message>
    <message>
        <source>未保存：配置文件属于一台仪表，仪表地址须为 %1～%2（现为 %3）。</source>
        <translation>Not saved: a settings file belongs to one meter, whose address must be %1 to %2 (now %3).</translation>
    </message>
    <message>
        <source>连接断开</source>
        <translation>connection lost</translation>
    </message>
    <message>
        <source>串口断开</source>
        <translation>port disconnected</translation>
    </message>
    <message>
        <source>%1 不是仪表地址（1～247），未发送任何请求</source>
        <translation>%1 is no meter address (1 to 247); nothing was sent</translation>
    </message>
    <message>
        <source>%1 号仪表无应答</source>
        <translation>meter %1 did not answer</translation>
    </message>
    <message>
        <source>%1 号仪表拒绝了请求（异常码 %2）</source>
        <translation>meter %1 refused the request (exception %2)</translation>
    </message>
    <message>
        <source>%1 号仪表拒绝了请求（异常应答）</source>
        <translation>meter %1 refused the request (exception reply)</translation>
    </message>
    <message>
        <source>%1 号仪表的应答帧有误</source>
        <translation>meter %1 answered with a bad frame</translation>
    </message>
    <message>
        <source>串口未打开，未向 %1 号仪表发送任何请求</source>
        <translation>the port is not open; nothing was sent to meter %1</translation>
    </message>
    <message>
        <source>%1 号仪表是%2，不是%3</source>
        <translation>meter %1 is a %2 meter, not %3</translation>
    </message>
    <message>
        <source>%1 号仪表没有作为%2应答</source>
        <translation>meter %1 did not answer as a %2 meter</translation>
    </message>
    <message>
        <source>%1 号仪表没有确认参数块 %2 的写入</source>
        <translation>meter %1 did not confirm the write of block %2</translation>
    </message>
    <message>
        <source>%1 号仪表应答了 %2 字节，应为 %3 字节（参数块 %4）</source>
        <translation>meter %1 answered %2 bytes, expected %3 (block %4)</translation>
    </message>
    <message>
        <source>参数块 %1 读回不一致（写入 %2，读回 %3）</source>
        <translation>block %1: read-back differs (wrote %2, read %3)</translation>
    </message>
    <message>
        <source>在参数块 %1 之前停止</source>
        <translation>stopped before block %1</translation>
    </message>
    <message>
        <source>在 %1 号仪表之前停止</source>
        <translation>stopped before meter %1</translation>
    </message>
    <message>
        <source>%1，未处理 %2 号仪表</source>
        <translation>%1; meter %2 was not handled</translation>
    </message>
    <message>
        <source>%1，运行已中止：%2 号仪表未下载完成。</source>
        <translation>%1; the run was stopped: meters %2 were not downloaded completely.</translation>
    </message>
    <message>
        <source>“%1”会被写成“%2”</source>
        <translation>&apos;%1&apos; would be written as &apos;%2&apos;</translation>
    </message>
    <message>
        <source>“%1”不被接受：%2</source>
        <translation>&apos;%1&apos; is refused: %2</translation>
    </message>
    <message>
        <source>；允许：%1</source>
        <translation>; allowed: %1</translation>
    </message>
    <message>
        <source>（窗口中：%1）</source>
        <translation> (the window: %1)</translation>
    </message>
    <message>
        <source>%1/%2（%3）：%4</source>
        <translation>%1/%2 (%3): %4</translation>
    </message>
    <message>
        <source>数值 %1</source>
        <translation>the number %1</translation>
    </message>
    <message>
        <source>文本“%1”</source>
        <translation>the text &quot;%1&quot;</translation>
    </message>
    <message>
        <source>空列表</source>
        <translation>an empty list</translation>
    </message>
    <message>
        <source>列表</source>
        <translation>a list</translation>
    </message>
    <message>
        <source>对象</source>
        <translation>an object</translation>
    </message>
    <message>
        <source>（缺少）</source>
        <translation>nothing</translation>
    </message>
    <message>
        <source>%1：应为%2，实为%3</source>
        <translation>%1: expected %2, got %3</translation>
    </message>
    <message>
        <source>不是 kzctl 备份文件</source>
        <translation>not a kzctl backup</translation>
    </message>
    <message>
        <source> 1（本程序只读取这一版本）</source>
        <translation>1, the only version this program reads</translation>
    </message>
    <message>
        <source>未知的仪表类型“%1”</source>
        <translation>unknown family &apos;%1&apos;</translation>
    </message>
    <message>
        <source>family：应为仪表类型，如“three-phase”，实为%1</source>
        <translation>family: expected a family such as &quot;three-phase&quot;, got %1</translation>
    </message>
    <message>
        <source>address：应为仪表地址，即 %1 到 %2 的整数，实为%3</source>
        <translation>address: expected a meter address, a whole number from %1 to %2, got %3</translation>
    </message>
    <message>
        <source>至少含一个数据块的列表</source>
        <translation>a list of at least one block</translation>
    </message>
    <message>
        <source>数据块名称，如“%1”</source>
        <translation>a block name such as &quot;%1&quot;</translation>
    </message>
    <message>
        <source>未知的数据块“%1”</source>
        <translation>unknown block &apos;%1&apos;</translation>
    </message>
    <message>
        <source>文件的仪表类型（%1）与其数据块不符：数据块“%2”属于 %3</source>
        <translation>the file&apos;s family (%1) and its blocks disagree: block &apos;%2&apos; is a %3 block</translation>
    </message>
    <message>
        <source>数据块“%1”出现了两次</source>
        <translation>block &apos;%1&apos; is given twice</translation>
    </message>
    <message>
        <source>数据块 %1：registers</source>
        <translation>block %1: registers</translation>
    </message>
    <message>
        <source>十六进制字节，如“0a 1b”</source>
        <translation>hex bytes such as &quot;0a 1b&quot;</translation>
    </message>
    <message>
        <source>数据块 %1：寄存器数据 %2 字节，应为 %3 字节</source>
        <translation>block %1: %2 register bytes, expected %3</translation>
    </message>
    <message>
        <source>数据块 %1：fields</source>
        <translation>block %1: fields</translation>
    </message>
    <message>
        <source>字段列表</source>
        <translation>a list of fields</translation>
    </message>
    <message>
        <source>含“name”和“value”的对象</source>
        <translation>objects with a &quot;name&quot; and a &quot;value&quot;</translation>
    </message>
    <message>
        <source>数据块 %1 没有字段“%2”</source>
        <translation>block %1 has no field &apos;%2&apos;</translation>
    </message>
    <message>
        <source>%1/%2（%3）</source>
        <translation>%1/%2 (%3)</translation>
    </message>
    <message>
        <source>%1 出现了两次</source>
        <translation>%1 is given twice</translation>
    </message>
    <message>
        <source>文本，如“%1”</source>
        <translation>a text such as &quot;%1&quot;</translation>
    </message>
    <message>
        <source>备份文件只属于一台仪表，其地址为 %1 到 %2，不能是 %3</source>
        <translation>a backup is of one meter, at an address from %1 to %2, not %3</translation>
    </message>
    <message>
        <source>%1 已存在且不是备份文件，未改动（%2）</source>
        <translation>%1 is there and is no backup file; it is left as it is (%2)</translation>
    </message>
    <message>
        <source>%1 存的是 %2 仪表 %3 的设置，不是 %4 仪表 %5 的，未改动</source>
        <translation>%1 holds the settings of %2 meter %3, not of %4 meter %5; it is left as it is</translation>
    </message>
    <message>
        <source>介于 %1 和 %2%3 之间的数</source>
        <translation>a number from %1 to %2%3</translation>
    </message>
    <message>
        <source>“%1”应为%2</source>
        <translation>&quot;%1&quot; must be %2</translation>
    </message>
    <message>
        <source>未知的键“%1”；已知的键有 %2</source>
        <translation>unknown key &quot;%1&quot;; known keys are %2</translation>
    </message>
    <message>
        <source>不是 JSON 文档：第 %2 字节处 %1</source>
        <translation>not a JSON document: %1 at offset %2</translation>
    </message>
    <message>
        <source>校验方案应为 JSON 对象</source>
        <translation>a plan is a JSON object</translation>
    </message>
    <message>
        <source>文本</source>
        <translation>a text</translation>
    </message>
    <message>
        <source>该校验方案用于 %1，不是 %2</source>
        <translation>the plan is for %1, not %2</translation>
    </message>
    <message>
        <source>“points”应为至少含一个校验点的列表</source>
        <translation>&quot;points&quot; must be a list of at least one point</translation>
    </message>
    <message>
        <source>方案第 %1 点：</source>
        <translation>point %1 of the plan: </translation>
    </message>
    <message>
        <source>校验点应为 JSON 对象</source>
        <translation>a point is a JSON object</translation>
    </message>
    <message>
        <source>“point”应为本类仪表校验的点之一：%1</source>
        <translation>&quot;point&quot; must be one of the points this family calibrates: %1</translation>
    </message>
    <message>
        <source>第 %1 点出现了两次</source>
        <translation>point %1 is given twice</translation>
    </message>
    <message>
        <source>“reference”应为%1</source>
        <translation>&quot;reference&quot; must be %1</translation>
    </message>
    <message>
        <source>&quot;&quot;（仪表只有一相）</source>
        <translation>&quot;&quot; (the meter has one phase)</translation>
    </message>
    <message>
        <source>&quot;%1&quot;（该点本身的相）</source>
        <translation>&quot;%1&quot; (the point&apos;s own phase)</translation>
    </message>
    <message>
        <source>0 到 1 的文本，小于 1 时后跟 L 或 C，如“1.0”或“0.5L”</source>
        <translation>a text from 0 to 1, L or C after it below 1, such as &quot;1.0&quot; or &quot;0.5L&quot;</translation>
    </message>
    <message>
        <source>%1 是文件夹，不是文件</source>
        <translation>%1 is a folder, not a file</translation>
    </message>
    <message>
        <source>%1 不是普通文件（而是设备、管道或套接字），只读取普通文件</source>
        <translation>%1 is not a regular file (a device, pipe or socket); only files are read</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>cannot read %1: %2</translation>
    </message>
    <message>
        <source>%1 超过 %2 字节，这类文件最多只能有这么大</source>
        <translation>%1 is larger than %2 bytes, the most such a file may hold</translation>
    </message>
    <message>
        <source>键“%1”出现了两次</source>
        <translation>the key &quot;%1&quot; is given twice</translation>
    </message>
    <message>
        <source>不是 JSON 对象（第 %2 字节处：%1）</source>
        <translation>not a JSON object (%1 at byte %2)</translation>
    </message>
    <message>
        <source>不是 JSON 对象</source>
        <translation>not a JSON object</translation>
    </message>
    <message>
        <source>0..%1（%2）</source>
        <translation>0..%1 (%2)</translation>
    </message>
    <message>
        <source>0 或 1</source>
        <translation>0 or 1</translation>
    </message>
    <message>
        <source>0..9999，至多四位数字，至多 3 位小数</source>
        <translation>0..9999 as four digits at most, with up to 3 decimals</translation>
    </message>
    <message>
        <source>-9999..9999，至多四位数字，至多 4 位小数</source>
        <translation>-9999..9999 as four digits at most, with up to 4 decimals</translation>
    </message>
    <message>
        <source>-9999..9999，至多五个字符</source>
        <translation>-9999..9999 in five characters at most</translation>
    </message>
    <message>
        <source>0..16777215.99，至多 2 位小数</source>
        <translation>0..16777215.99 with up to 2 decimals</translation>
    </message>
    <message>
        <source>%1：%2 不在 0..%3 之内</source>
        <translation>%1: %2 is not in 0..%3</translation>
    </message>
    <message>
        <source>V 或 KV</source>
        <translation>V or KV</translation>
    </message>
    <message>
        <source>A 或 KA</source>
        <translation>A or KA</translation>
    </message>
    <message>
        <source>W、KW 或 MW</source>
        <translation>W, KW or MW</translation>
    </message>
    <message>
        <source>至多四位数字，可带小数点，后接 %1</source>
        <translation>four digits at most with an optional point, then %1</translation>
    </message>
    <message>
        <source>接线检查</source>
        <translation>Wiring check</translation>
    </message>
    <message>
        <source>U%1断相</source>
        <translation>U%1 lost</translation>
    </message>
    <message>
        <source>相序错（电压逆相序）</source>
        <translation>Phase sequence error (reverse voltage sequence)</translation>
    </message>
    <message>
        <source>电压接错（a、b、c端子接%1）</source>
        <translation>Voltages wrongly connected (terminals a, b, c carry %1)</translation>
    </message>
    <message>
        <source>%1相电流接错</source>
        <translation>Currents of phases %1 swapped</translation>
    </message>
    <message>
        <source>三相电流错位（A、B、C元件接%1）</source>
        <translation>Currents rotated (elements A, B, C carry %1)</translation>
    </message>
    <message>
        <source>%1相电流互感器极性接反</source>
        <translation>Phase %1 current transformer reversed</translation>
    </message>
    <message>
        <source>正确接线</source>
        <translation>Correct wiring</translation>
    </message>
    <message>
        <source>已判定</source>
        <translation>Judged</translation>
    </message>
    <message>
        <source>读数无法区分以下接线（所需负载角不同）</source>
        <translation>The readings cannot tell these connections apart (each needs another load angle)</translation>
    </message>
    <message>
        <source>没有接线在负载角范围（滞后60°至超前30°）内相符，无法判断</source>
        <translation>No connection fits within the load angle range (60° lagging to 30° leading); no verdict</translation>
    </message>
    <message>
        <source>电流太小，无法判断</source>
        <translation>Current too small; no verdict</translation>
    </message>
    <message>
        <source>电压不足，无法判断</source>
        <translation>Voltage too low; no verdict</translation>
    </message>
    <message>
        <source>（%1元件未判断）</source>
        <translation> (element %1 not judged)</translation>
    </message>
    <message>
        <source>相量图</source>
        <translation>Phasor diagram</translation>
    </message>
    <message>
        <source>结论：</source>
        <translation>Verdict:</translation>
    </message>
    <message>
        <source>负载角：</source>
        <translation>Load angle:</translation>
    </message>
    <message>
        <source>更正系数：</source>
        <translation>Correction factor:</translation>
    </message>
    <message>
        <source>相符的接线</source>
        <translation>Fitting connections</translation>
    </message>
    <message>
        <source>残差</source>
        <translation>Residual</translation>
    </message>
    <message>
        <source>负载角</source>
        <translation>Load angle</translation>
    </message>
    <message>
        <source>更正系数</source>
        <translation>Correction factor</translation>
    </message>
    <message>
        <source>保存报告</source>
        <translation>Save report</translation>
    </message>
    <message>
        <source>还没有读数，请先启动检查！</source>
        <translation>No readings yet. Start the check first!</translation>
    </message>
    <message>
        <source>报告未能保存：%1</source>
        <translation>The report was not saved: %1</translation>
    </message>
    <message>
        <source>%1 %2V 断相</source>
        <translation>%1 %2V lost</translation>
    </message>
    <message>
        <source>元件</source>
        <translation>Element</translation>
    </message>
    <message>
        <source>电压(V)</source>
        <translation>Voltage (V)</translation>
    </message>
    <message>
        <source>电流(A)</source>
        <translation>Current (A)</translation>
    </message>
    <message>
        <source>有功(W)</source>
        <translation>Active (W)</translation>
    </message>
    <message>
        <source>无功(var)</source>
        <translation>Reactive (var)</translation>
    </message>
    <message>
        <source>角度</source>
        <translation>Angle</translation>
    </message>
    <message>
        <source>频率：</source>
        <translation>Frequency:</translation>
    </message>
    <message>
        <source>仪表地址：%1&#x3000;&#x3000;检查时间：%2</source>
        <translation>Meter address: %1    Checked: %2</translation>
    </message>
    <message>
        <source>滞后%1°</source>
        <translation>%1° lagging</translation>
    </message>
    <message>
        <source>超前%1°</source>
        <translation>%1° leading</translation>
    </message>
    <message>
        <source>滞后%1°（功率因数%2）</source>
        <translation>%1° lagging (power factor %2)</translation>
    </message>
    <message>
        <source>超前%1°（功率因数%2）</source>
        <translation>%1° leading (power factor %2)</translation>
    </message>
    <message>
        <source>无（仪表几乎不计量）</source>
        <translation>none (the meter records next to nothing)</translation>
    </message>
    <message>
        <source>接线检查报告</source>
        <translation>Wiring check report</translation>
    </message>
</context>
</TS>
