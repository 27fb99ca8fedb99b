# notremovable: the Intune Remediations detection script (detect.ps1), run as
# SYSTEM. Its status is the check program's compliance: 0 "without issues",
# anything else "issue found", so that the remediation runs; its one line of
# output is the check's JSON line, or where the check cannot answer, one in
# the same shape that says why (verdict.reason "check_missing" or
# "check_failed"). A line in ASCII whatever the console's code page.
$folder = Join-Path $env:ProgramFiles 'notremovable'
if (${env:ProgramFiles(x86)}) { $folder = Join-Path ${env:ProgramFiles(x86)} 'notremovable' }
$check = Join-Path $folder 'notremovable-check.exe'

function Write-NoAnswer([string] $reason, [int] $status) {
    $line = [ordered]@{
        source  = 'detect.ps1'
        verdict = [ordered]@{ outcome = 'cannot_judge'; status = 2; reason = $reason; check_status = $status }
        summary = [ordered]@{ compliant = $false; compliance_status = 2; effect = 'cannot_tell' }
    }
    Write-Output ($line | ConvertTo-Json -Compress -Depth 3)
}

if (-not (Test-Path -LiteralPath $check -PathType Leaf)) {
    Write-NoAnswer -reason 'check_missing' -status (-1)
    exit 1
}
$status = -1
try {
    $lines = @(& $check --compliance --json 2>$null)
    $status = $LASTEXITCODE
} catch {
    $lines = @()
}
# 0 compliant, 1 not compliant, 2 cannot judge: each with its one line.
if ($lines.Count -eq 1 -and ($status -eq 0 -or $status -eq 1 -or $status -eq 2)) {
    Write-Output $lines[0]
    if ($status -eq 0) { exit 0 }
    exit 1
}
Write-NoAnswer -reason 'check_failed' -status $status
exit 1
