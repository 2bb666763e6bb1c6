#pragma once

class ConnectionControls;
class ConnectionIndicator;
class DeviceListControls;
class DiagnosticControls;
class FrameDisplay;
class RecordingControls;
class SerialMenuItems;
class SerialPanelControls;
class StartTimeControls;
class UserMessages;

// What a measurement session shows and asks on the screen, one port per panel that answers.
// Each must outlive the session.
struct SessionPorts {
    FrameDisplay& lcd;                  // the LCD copy
    ConnectionIndicator& indicator;     // blinks with every frame
    RecordingControls& recording;       // the record bar
    StartTimeControls& startTime;       // the Recall box
    ConnectionControls& connection;     // the top bar's connect toggle and Download Data box
    DeviceListControls& deviceList;     // the diagnostic panel's device list
    DiagnosticControls& diagnostics;    // the rest of the diagnostic panel
    SerialPanelControls& serialPanel;   // the serial controls
    SerialMenuItems& serialMenu;        // the hidden Connect menu
    UserMessages& messages;             // every notice, question and error report
};
