(*

  This COM library implements Word COM Add-In.
  Like any other COM library, this library must be
  registred using either "Run | Register ActiveX Server"
  in Delphi IDE or with regsvr32.exe command line tool.

  When debugging this Add-In, make sure that
  "Run | Parameters... | Host Application"
  in the Delphi IDE is set to the full path of the
  Office application this Add-In is designed for,
  e.g.
  
  for an Word Add-In.

*)

library WordAddin1;

uses
  ComServ,
  Unit1 in 'Unit1.pas';

exports
  DllGetClassObject,
  DllCanUnloadNow,
  DllRegisterServer,
  DllUnregisterServer;

{$R *.TLB}

{$R *.RES}

begin
end.
