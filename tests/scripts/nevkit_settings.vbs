' Settings saved and loaded back through Kelmor0200.nvkNevkitSettings, and the registry object
' beside it, as a late-binding client uses them.
Const RootUser = &H80000001
Dim settings, reg, app, appKey, russian, names, name, count, v

Set settings = CreateObject("Kelmor0200.nvkNevkitSettings")
Set reg = CreateObject("Kelmor0200.nvkRegistry")
app = "KelmorScriptSettings"
appKey = "Software\Vestrimo\Nevkit\" & app
reg.DeleteKeyRecurse RootUser, appKey

' Texts, numbers and booleans under "<app>\Version 1.02\Options".
' A Russian word, made from its bytes in code page 1251 (the tests' ANSI code page; this
' script engine has no ChrW).
russian = Chr(&HCF) & Chr(&HF0) & Chr(&HE8) & Chr(&HE2) & Chr(&HE5) & Chr(&HF2)
CheckTrue "SaveSetting text", settings.SaveSetting("Options", "Greeting", 0, russian, app, 1, 2)
CheckEqual "LoadSetting text", russian, settings.LoadSetting("Options", "Greeting", 0, app, 1, 2)
CheckEqual "key path", appKey & "\Version 1.02\Options", settings.GetSettingPath(app, 1, 2, "Options")
CheckEqual "the value lies where the key path says", russian, _
    reg.GetValue(RootUser, settings.GetSettingPath(app, 1, 2, "Options"), "Greeting")
CheckTrue "SaveSetting number", settings.SaveSetting("Options", "Count", 1, 42, app, 1, 2)
v = settings.LoadSetting("Options", "Count", 1, app, 1, 2)
CheckEqual "LoadSetting number", 42, v
CheckEqual "number type", "Long", TypeName(v)
CheckTrue "SaveSetting boolean", settings.SaveSetting("Options", "Flag", 0, settings.BooleanToString(True), app, 1, 2)
CheckEqual "boolean stored as text", "True", settings.LoadSetting("Options", "Flag", 0, app, 1, 2)
CheckEqual "boolean read back", True, settings.StringToBoolean(settings.LoadSetting("Options", "Flag", 0, app, 1, 2))
CheckEqual "check box from text", 1, settings.BooleanInStringToCheck("TRUE")
CheckEqual "grey check box", "False", settings.CheckToBooleanInString(2)

' Never saved: the default as given, or the neutral value of the type.
CheckEqual "default passed through", "fallback", settings.LoadSetting("Options", "Absent", 1, app, 1, 2, "fallback")
v = settings.LoadSetting("Options", "Absent", 1, app, 1, 2)
CheckEqual "neutral number", 0, v
CheckEqual "neutral number type", "Long", TypeName(v)
CheckEqual "neutral text", "", settings.LoadSetting("Options", "Absent", , app)

' Text that is no boolean: type mismatch.
On Error Resume Next
v = settings.StringToBoolean("maybe")
CheckEqual "StringToBoolean maybe", 13, TakeError()
On Error GoTo 0

' The application key lists its version key; removing it leaves nothing to list.
Set names = reg.GetSubKeysNames(RootUser, appKey)
count = 0
For Each name In names
    count = count + 1
    CheckEqual "subkey of the application", "Version 1.02", name
Next
CheckEqual "subkeys counted by For Each", 1, count
CheckEqual "Count", 1, names.Count
CheckTrue "DeleteKey refuses a key with entries", Not reg.DeleteKey(RootUser, appKey)
CheckTrue "DeleteKeyRecurse", reg.DeleteKeyRecurse(RootUser, appKey)
CheckTrue "no listing of a removed key", reg.GetSubKeysNames(RootUser, appKey) Is Nothing
CheckEqual "LastRegError", 2, reg.LastRegError
