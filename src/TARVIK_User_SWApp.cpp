// placeholder: the application object comes with the application shell
int main() {
    return 0;
}
