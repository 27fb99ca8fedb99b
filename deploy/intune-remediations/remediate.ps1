# notremovable: the Intune Remediations remediation script (remediate.ps1),
# run as SYSTEM. Runs the installed exe and maps its status: 1 (the write was
# attempted) ends with 0; 0 (it did nothing, as the detection output's
# verdict.reason says) ends with 1. It never restarts the PC: Windows
# applies the override at the next restart or replug.
$folder = Join-Path $env:ProgramFiles 'notremovable'
if (${env:ProgramFiles(x86)}) { $folder = Join-Path ${env:ProgramFiles(x86)} 'notremovable' }
$exe = Join-Path $folder 'notremovable.exe'
if (-not (Test-Path -LiteralPath $exe -PathType Leaf)) {
    Write-Output 'notremovable.exe is not installed: deploy the Win32 app first'
    exit 1
}
$status = -1
try {
    & $exe
    $status = $LASTEXITCODE
} catch {
    Write-Output 'notremovable.exe could not be started'
    exit 1
}
if ($status -eq 1) {
    Write-Output 'notremovable.exe wrote Removable = 0; Windows applies it at the next restart or replug'
    exit 0
}
Write-Output "notremovable.exe did nothing (status $status): see the detection output's verdict.reason"
exit 1
