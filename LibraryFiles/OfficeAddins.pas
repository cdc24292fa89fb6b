(*

  OfficeAddins: what a Quillfern add-in unit needs besides the Office
  wrapper unit.

  - IDTExtensibility2, the interface through which an Office application
    talks to a COM add-in, and its two enumerations;
  - the load-behaviour flags an add-in is registered with;
  - the Office host kinds;
  - TOfficeAddinFactory, the class factory that registers the add-in both
    as a COM class and with its Office host.

  Written for Delphi 5 and later and for Free Pascal in Delphi mode:
  no generics, no inline variables, no units newer than Delphi 5.

*)

unit OfficeAddins;

{$IFDEF FPC}
  {$MODE DELPHI}
{$ENDIF}

interface

uses
  Windows, SysUtils, ActiveX, ComObj;

type
  // How the host came to connect the add-in (OnConnection).
  ext_ConnectMode = TOleEnum;
  // Why the host disconnects the add-in (OnDisconnection).
  ext_DisconnectMode = TOleEnum;

const
  ext_cm_AfterStartup = $00000000;
  ext_cm_Startup      = $00000001;
  ext_cm_External     = $00000002;
  ext_cm_CommandLine  = $00000003;

  ext_dm_HostShutdown = $00000000;
  ext_dm_UserClosed   = $00000001;

type
  // Office's own interface: the identifier and the order of the methods in
  // the vtable are fixed by the hosts, which call it as a dual interface.
  IDTExtensibility2 = interface(IDispatch)
    ['{B65AD801-ABAF-11D0-BB8B-00A0C90F2744}']
    procedure OnConnection(const Application: IDispatch; ConnectMode: ext_ConnectMode;
                           const AddInInst: IDispatch; var custom: PSafeArray); safecall;
    procedure OnDisconnection(RemoveMode: ext_DisconnectMode; var custom: PSafeArray); safecall;
    procedure OnAddInsUpdate(var custom: PSafeArray); safecall;
    procedure OnStartupComplete(var custom: PSafeArray); safecall;
    procedure OnBeginShutdown(var custom: PSafeArray); safecall;
  end;

const
  // The LoadBehavior value of an add-in is these flags or-ed together.
  AddinLoadDisconnected     = 0;
  AddinLoadConnected        = 1;
  AddinLoadBootLoad         = 2;
  AddinLoadDemandLoad       = 8;
  AddinLoadConnectFirstTime = 16;

type
  TOfficeAppKind = (oaAccess, oaExcel, oaFrontPage, oaOutlook, oaPowerPoint, oaWord);

const
  // The host's name in Software\Microsoft\Office\<name>\Addins.
  OfficeAppRegistryNames: array[TOfficeAppKind] of string =
    ('Access', 'Excel', 'FrontPage', 'Outlook', 'PowerPoint', 'Word');

type
  EOfficeAddinRegistration = class(Exception);

  // Registers the add-in as an apartment-threaded COM class and, under
  // RootKey (HKEY_CURRENT_USER for the current user only, HKEY_LOCAL_MACHINE
  // for every user), with its Office host; unregistering removes both.
  TOfficeAddinFactory = class(TComObjectFactory)
  private
    FFriendlyName: string;
    FLoadBehavior: Integer;
    FOfficeApp: TOfficeAppKind;
    FRootKey: HKEY;
    procedure RegisterWithHost;
    procedure UnregisterFromHost;
  public
    constructor Create(AComServer: TComServerObject; AComClass: TComClass;
      const AClassID: TGUID; const AFriendlyName, AClassName, ADescription: string;
      ALoadBehavior: Integer; AOfficeApp: TOfficeAppKind; ARootKey: HKEY);
    procedure UpdateRegistry(Register: Boolean); override;
    // Software\Microsoft\Office\<host>\Addins\<ProgID>, under RootKey.
    function HostAddinKey: string;
    property FriendlyName: string read FFriendlyName;
    property LoadBehavior: Integer read FLoadBehavior;
    property OfficeApp: TOfficeAppKind read FOfficeApp;
    property RootKey: HKEY read FRootKey;
  end;

implementation

constructor TOfficeAddinFactory.Create(AComServer: TComServerObject; AComClass: TComClass;
  const AClassID: TGUID; const AFriendlyName, AClassName, ADescription: string;
  ALoadBehavior: Integer; AOfficeApp: TOfficeAppKind; ARootKey: HKEY);
begin
  // Office calls its add-ins on its main, single-threaded apartment.
  inherited Create(AComServer, AComClass, AClassID, AClassName, ADescription,
    ciMultiInstance, tmApartment);
  FFriendlyName := AFriendlyName;
  FLoadBehavior := ALoadBehavior;
  FOfficeApp := AOfficeApp;
  FRootKey := ARootKey;
end;

function TOfficeAddinFactory.HostAddinKey: string;
begin
  Result := 'Software\Microsoft\Office\' + OfficeAppRegistryNames[FOfficeApp] +
    '\Addins\' + ProgID;
end;

procedure TOfficeAddinFactory.UpdateRegistry(Register: Boolean);
begin
  // The host is told about the add-in only once the class exists, and
  // forgets it before the class goes, so it never looks for a missing class.
  if Register then
  begin
    inherited UpdateRegistry(True);
    RegisterWithHost;
  end
  else
  begin
    UnregisterFromHost;
    inherited UpdateRegistry(False);
  end;
end;

procedure CheckRegistryResult(Status: Longint; const Action, Key: string);
begin
  if Status <> ERROR_SUCCESS then
    raise EOfficeAddinRegistration.CreateFmt('Unable to %s %s: %s',
      [Action, Key, SysErrorMessage(Status)]);
end;

procedure TOfficeAddinFactory.RegisterWithHost;
var
  Key: HKEY;
  KeyName: string;
  Behavior: DWORD;

  procedure WriteString(const Name, Value: string);
  begin
    CheckRegistryResult(RegSetValueEx(Key, PChar(Name), 0, REG_SZ, PChar(Value),
      (Length(Value) + 1) * SizeOf(Char)), 'write ' + Name + ' under', KeyName);
  end;

begin
  KeyName := HostAddinKey;
  // Asking for no more than the right to write values keeps a registration
  // for the current user within what an ordinary user may do.
  CheckRegistryResult(RegCreateKeyEx(FRootKey, PChar(KeyName), 0, nil,
    REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nil, Key, nil), 'create', KeyName);
  try
    WriteString('FriendlyName', FFriendlyName);
    WriteString('Description', Description);
    Behavior := DWORD(FLoadBehavior);
    CheckRegistryResult(RegSetValueEx(Key, 'LoadBehavior', 0, REG_DWORD, @Behavior,
      SizeOf(Behavior)), 'write LoadBehavior under', KeyName);
  finally
    RegCloseKey(Key);
  end;
end;

procedure TOfficeAddinFactory.UnregisterFromHost;
var
  Status: Longint;
begin
  // Removing what is already gone is no failure: unregistering twice, or
  // after the key was deleted by hand, must still remove the class.
  Status := RegDeleteKey(FRootKey, PChar(HostAddinKey));
  if Status <> ERROR_FILE_NOT_FOUND then
    CheckRegistryResult(Status, 'delete', HostAddinKey);
end;

end.
