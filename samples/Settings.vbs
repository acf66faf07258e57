' Settings.vbs [/remove]
'
' A program's settings kept in the registry the way the Nevkit programs keep theirs, with
' nvkNevkitSettings: under HKEY_CURRENT_USER\Software\Vestrimo\Nevkit\<program>\Version x.yy.
' Each run counts itself (a number), remembers when it ran (a text) and whether a box is ticked
' (a truth value stored as text), then lists the values of the key with nvkRegistry. With
' /remove the program's key is deleted afterwards, with everything under it.
'
'   cscript //nologo Settings.vbs
'
' Exit code: 0; 1 when a setting could not be written.
Option Explicit

Const HKEY_CURRENT_USER = &H80000001
Const rtString = 0, rtLong = 1
Const AppTitle = "Nevkit Samples", VerMajor = 1, VerMinor = 0

Dim settings, reg, runs, ticked, key, names, name

Set settings = CreateObject("Kelmor0200.nvkNevkitSettings")
Set reg = CreateObject("Kelmor0200.nvkRegistry")

' LoadSetting gives the default (here 0) when the value is not there yet.
runs = settings.LoadSetting("Options", "Runs", rtLong, AppTitle, VerMajor, VerMinor, 0) + 1
ticked = settings.StringToBoolean(settings.LoadSetting("Options", "Ticked", rtString, AppTitle, VerMajor, VerMinor, "False"))
If Not (settings.SaveSetting("Options", "Runs", rtLong, runs, AppTitle, VerMajor, VerMinor) And _
        settings.SaveSetting("Options", "Last run", rtString, CStr(Year(Now)) & "-" & Right("0" & Month(Now), 2) & "-" & Right("0" & Day(Now), 2), AppTitle, VerMajor, VerMinor) And _
        settings.SaveSetting("Options", "Ticked", rtString, settings.BooleanToString(Not ticked), AppTitle, VerMajor, VerMinor)) Then
    WScript.Echo "Cannot write the settings: error " & reg.LastRegError
    WScript.Quit 1
End If

' The same values read with the registry object: the key's path, the names of its values.
key = settings.GetSettingPath(AppTitle, VerMajor, VerMinor, "Options")
WScript.Echo "Key: HKEY_CURRENT_USER\" & key
Set names = reg.GetValuesNames(HKEY_CURRENT_USER, key)
For Each name In names
    If name = "Runs" Then
        WScript.Echo "  " & name & " = " & reg.GetValue(HKEY_CURRENT_USER, key, name, rtLong)
    Else
        WScript.Echo "  " & name & " = " & reg.GetValue(HKEY_CURRENT_USER, key, name, rtString)
    End If
Next
' (A truth value joined to a text would be written in the words of the user's language.)
If settings.StringToBoolean(settings.LoadSetting("Options", "Ticked", rtString, AppTitle, VerMajor, VerMinor)) Then
    WScript.Echo "Runs: " & runs & ", ticked: yes"
Else
    WScript.Echo "Runs: " & runs & ", ticked: no"
End If

If WScript.Arguments.Count > 0 Then
    If LCase(WScript.Arguments(0)) = "/remove" Then
        ' The program's own key: its path for version 0.0 and no key path.
        key = settings.GetSettingPath(AppTitle)
        If reg.DeleteKeyRecurse(HKEY_CURRENT_USER, key) Then
            WScript.Echo "Removed: HKEY_CURRENT_USER\" & key
        Else
            WScript.Echo "Cannot remove HKEY_CURRENT_USER\" & key & ": error " & reg.LastRegError
        End If
    End If
End If
