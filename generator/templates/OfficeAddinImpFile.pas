(*

  This unit uses %OFFICEAPPUNITNAME%.pas unit which
  wraps the functionality of %OFFICEAPPNAME% %OFFICEAPPVERSION%
  in a Delphi class.
  To use a wrapper unit of your own instead (e.g.
  if you want to support a different version of %OFFICEAPPNAME%),
  make sure you replace %OFFICEAPPUNITNAME% in the
  uses clause below with the name of your unit.

  This COM library implements %OFFICEAPPNAME% COM Add-In.
  Like any other COM library, this library must be
  registred using either "Run | Register ActiveX Server"
  in Delphi IDE or with regsvr32.exe command line tool.

  When debugging this Add-In, make sure that
  "Run | Parameters... | Host Application"
  in the Delphi IDE is set to the full path of the
  Office application this Add-In is designed for,
  e.g.
  %OFFICEAPPPATH%
  for an %OFFICEAPPNAME% Add-In.

*)

unit %UNITNAME%;

interface

uses
  Windows, Classes, ComObj, ActiveX, SysUtils,
  OfficeAddins, %OFFICEAPPUNITNAME%;

const

  Class_AddInGUID: TGUID = '%ADDINGUID%';

type

  T%CLASSNAME% = class(TComObject, IDispatch, IDTExtensibility2)
  protected
    FApplication: %APPLICATIONWRAPPERCLASSNAME%;
  protected
    //IDispatch
    function GetTypeInfoCount(out Count: Integer): HResult; stdcall;
    function GetTypeInfo(Index, LocaleID: Integer; out TypeInfo): HResult; stdcall;
    function GetIDsOfNames(const IID: TGUID; Names: Pointer;
      NameCount, LocaleID: Integer; DispIDs: Pointer): HResult; stdcall;
    function Invoke(DispID: Integer; const IID: TGUID; LocaleID: Integer;
      Flags: Word; var Params; VarResult, ExcepInfo, ArgErr: Pointer): HResult; stdcall;
    //IDTExtensibility2
    procedure OnConnection(const Application: IDispatch; ConnectMode: ext_ConnectMode;
                           const AddInInst: IDispatch; var custom: PSafeArray); safecall;
    procedure OnDisconnection(RemoveMode: ext_DisconnectMode; var custom: PSafeArray); safecall;
    procedure OnAddInsUpdate(var custom: PSafeArray); safecall;
    procedure OnStartupComplete(var custom: PSafeArray); safecall;
    procedure OnBeginShutdown(var custom: PSafeArray); safecall;
  end;

implementation

uses ComServ;

function T%CLASSNAME%.GetTypeInfoCount(out Count: Integer): HResult; stdcall;
begin
  Result := S_OK;
  Count  := 0;
end;

function T%CLASSNAME%.GetTypeInfo(Index, LocaleID: Integer; out TypeInfo): HResult; stdcall;
begin
  Result := E_NOTIMPL;
end;

function T%CLASSNAME%.GetIDsOfNames(const IID: TGUID; Names: Pointer;
  NameCount, LocaleID: Integer; DispIDs: Pointer): HResult; stdcall;
begin
  Result := E_NOTIMPL;
end;

function T%CLASSNAME%.Invoke(DispID: Integer; const IID: TGUID; LocaleID: Integer;
  Flags: Word; var Params; VarResult, ExcepInfo, ArgErr: Pointer): HResult; stdcall;
begin
  Result := E_NOTIMPL;
end;

procedure T%CLASSNAME%.OnConnection(const Application: IDispatch; ConnectMode: ext_ConnectMode;
                       const AddInInst: IDispatch; var custom: PSafeArray); safecall;
begin
  FApplication:=%APPLICATIONWRAPPERCLASSNAME%.Create(nil);
  FApplication.ConnectTo(Application as _Application);
  //todo: set FApplication.OnXXX event properties to your event handlers
end;

procedure T%CLASSNAME%.OnDisconnection(RemoveMode: ext_DisconnectMode; var custom: PSafeArray); safecall;
begin
  //you must dereference all external objects here,
  //otherwise Office app won't be able to shut down properly
  FreeAndNil(FApplication);
end;


procedure T%CLASSNAME%.OnAddInsUpdate(var custom: PSafeArray); safecall;
begin
end;

procedure T%CLASSNAME%.OnStartupComplete(var custom: PSafeArray); safecall;
begin
end;

procedure T%CLASSNAME%.OnBeginShutdown(var custom: PSafeArray); safecall;
begin
end;

initialization
  TOfficeAddinFactory.Create(ComServer,
                             T%CLASSNAME%,
                             Class_AddInGUID,
                             '%FRIENDLYNAME%',
                             '%CLASSNAME%',
                             '%DESCRIPTION%',
                             %LOADBEHAVIOR%,
                             %OFFICEAPPKIND%,
                             %ROOTKEY%);
end.
